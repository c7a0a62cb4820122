// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/actions.h"
#include "layout/board_layout.h"
#include "session/session.h"

#include <QTimer>
#include <QWidget>

class BannerOverlay;
class BoardView;
class CallerKeys;
class ClaimNoticeBar;
class ClickLabel;
class Clock;
class EveningStore;
class ControlColumn;
class HelpPage;
class KeyState;
class KeyboardPoll;
class MoreMenu;
class NetworkDialog;
class NumberDisplays;
class QProgressBar;
class WinnerNameBox;
class RandomSource;
class SettingsStore;
class UrlOpener;
class Voice;

// What the window asks of the computer.
struct Platform {
    Voice &voice;
    SettingsStore &store;
    KeyState &keys;
    UrlOpener &urls;
    RandomSource &random;
    const Clock &clock;
    // The evenings' database; without it the evening lives in memory.
    EveningStore *evenings = nullptr;
};

inline const QString kWindowTitle = QStringLiteral("Sorteggina di Orvanet - Quillard - ver. 2.0.1");

// The caller's window: the control column on the left, the board filling the rest above
// the smorfia line, the banner and the help page over the board, the "Altro" functions.
// It alone knows its parts: it turns what they ask for into the Session's calls, runs the
// table of actions that the keys and the menu share, and shows the game each time it
// changes, on the players' screen too when that is open.
class BoardWindow : public QWidget {
    Q_OBJECT
public:
    explicit BoardWindow(const Platform &platform, QWidget *parent = nullptr);

    struct Parts {
        ControlColumn *controls;
        BoardView *board;
        NumberDisplays *displays;
        BannerOverlay *banner;
        HelpPage *help; // made at its first showing
        MoreMenu *more;
        CallerKeys *keys;
        ClickLabel *notice;
        ClaimNoticeBar *claimNotice;
        // After a kill: the game cut short offered back at once.
        ClaimNoticeBar *reloadOffer;
        QProgressBar *nextNumber; // the time to the next number of automatic calling
        WinnerNameBox *winnerName;
    };

    Session &session() { return session_; }
    Caller &caller() { return session_.caller(); }
    Evening &evening() { return session_.evening(); }
    PhoneLink &phones() { return session_.phones(); }
    AutoCaller &autoCaller() { return session_.autoCaller(); }
    const Parts &parts() const { return parts_; }
    const ActionTable &actions() const { return actions_; }
    KeyboardPoll &keyboardPoll();
    // "Estrai Numero", its key, or a screen reader's press.
    void drawNumber();
    // The players' screen, opened or closed.
    void toggleHall();
    // A notice over the foot of the board that needs no answer (the voice not speaking, say);
    // empty takes it away. A click also does.
    void showNotice(const QString &text);
    // "Annulla ultimo numero": the last number back in the bag, once the caller says so.
    void withdrawLastNumber();

signals:
    // "Voce… (F10)": the voice's dialog is the program's to open.
    void voiceChoiceAsked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    ActionTable makeActions();
    void showGame();
    // Lays the board out beside the column for the window's size; returns the column's zoom.
    float placeBoard();
    void toggleHelp();
    void wireControls(UrlOpener &urls);
    void placeNotice();
    void wirePhones();
    void showAutoCalling();
    void offerWinnerName();
    void leaveGame(bool reload);
    void offerInterruptedGame();
    void answerReloadOffer(bool reload);

    Session session_;
    Caller &caller_;
    AutoCaller &autoCaller_;
    ActionTable actions_;
    Parts parts_{};
    SettingsStore &store_;
    TwipsRect panel_{};
    PhoneLink &phones_;
    QString remoteNotice_;
    QString phonesNotice_;
    QString refusedNotice_;
    NetworkDialog *networkDialog_ = nullptr;
    QTimer nextNumberTick_;
};
