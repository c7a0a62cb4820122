#pragma once

#include "announcer/announcer.h"
#include "announcer/keyboard_poll.h"
#include "announcer/prize_ladder.h"
#include "announcer/settings.h"
#include "board/layout.h"
#include "game/game.h"
#include "game/game_state.h"
#include "window/banner.h"
#include "window/help_panel.h"

#include <QTimer>
#include <QWidget>
#include <array>

class BoardCell;
class ClickLabel;
class HelpPage;
class OptionBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class Voice;
class SettingsStore;
class KeyState;
class UrlOpener;
class RandomSource;
class Clock;

// What the window asks of the platform.
struct Platform {
    Voice &voice;
    SettingsStore &store;
    KeyState &keys;
    UrlOpener &urls;
    RandomSource &random;
    const Clock &clock;
};

inline const QString kWindowTitle = QStringLiteral("Sorteggina di Orvanet - Quillard - ver. 2.0.1");

// The one window: builds the controls, shows the game state and hands every event to
// the logic that owns it.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    GameState &state() { return state_; }
    const BoardLayout &layout() const { return layout_; }
    float dpi() const;

    // The event handlers, callable as a click or a key would call them.
    void Command2_Click();
    void Label1_Click(int index);
    void Command1_Click();
    void Command5_Click();
    void Label4_Click(int k);
    void Check1_MouseUp(int i);
    void Command4_Click(int i);
    void Label5_Click();
    void Label6_Click();
    void Label7_Click();
    void Picture3_Click();
    void Label3_Click();
    void Image2_Click();
    void Timer2_Timer();
    void Timer3_Timer();
    void Form_Resize();

    // The controls, named as in the window's design.
    ClickLabel *Label5;                    // last number drawn
    std::array<QPushButton *, 5> Command4; // prize buttons F2-F6
    std::array<OptionBox *, 5> Check1;     // prize boxes Ambo..Tombola
    QLabel *Label2;                        // "Nome"
    QLineEdit *Text1;                      // the owner's name
    OptionBox *Check2;                     // "Manuale"
    OptionBox *Check3;                     // "Scandito"
    OptionBox *Check5;                     // "Smorfia"
    std::array<ClickLabel *, 6> Label4;    // cartella labels
    QPushButton *Command1;                 // "Ricomincia"
    QPushButton *Command5;                 // "Ricarica ultima"
    QPushButton *Command2;                 // "Estrai Numero"
    ClickLabel *Label7;                    // "?": the help toggle
    ClickLabel *Image2;                    // the maker's logo, the web link
    ClickLabel *Label6;                    // the smorfia line
    QWidget *Picture1;                     // the board panel
    std::array<BoardCell *, 90> Label1;    // board cells: number label over its cell picture
    std::array<QWidget *, 7> Picture2;     // black bars of the board
    QFrame *Frame1;                        // the banner box
    ClickLabel *Label3;                    // the banner text
    HelpPage *Picture3;                    // the help panel
    QTimer Timer2;                         // banner blink, 500 ms
    QTimer Timer3;                         // keyboard poll, 100 ms

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildLeftColumn();
    void buildBoard();
    void wireKeys();
    void place(QWidget *widget, int left, int top, int width, int height);
    // Brings every control in line with the game state.
    void showState();
    void layOutBanner();

    Platform platform_;
    GameState state_;
    Game game_;
    Announcer announcer_;
    Settings settings_;
    PrizeLadder ladder_;
    KeyboardPoll poll_;
    Banner banner_;
    HelpPanel help_;
    BoardLayout layout_{};
};
