// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <array>

class Caller;
class ClickLabel;
class OptionBox;
class QLineEdit;
class QPushButton;

// The column of controls along the window's left edge, from the prize ladder down to the
// help and the logo. It shows the game and says what the user asks for; Tab walks it top
// to bottom.
class ControlColumn : public QWidget {
    Q_OBJECT
public:
    explicit ControlColumn(QWidget *window);

    void showGame(const Caller &caller);
    // Shrinks the column and every control in it, from its design at 1.
    void setZoom(float zoom);

    std::array<QPushButton *, 5> prizeButtons; // "F2" to "F6": a prize won in the room
    std::array<OptionBox *, 5> prizeBoxes; // ticked: won or left out
    QLineEdit *ownerName;
    OptionBox *manualBox;
    OptionBox *scanditoBox;
    OptionBox *smorfiaBox;
    std::array<ClickLabel *, 6> cartellaLabels;
    QPushButton *newGameButton;
    QPushButton *reloadButton;
    QPushButton *drawButton;
    ClickLabel *helpButton;
    ClickLabel *logo;

signals:
    void drawRequested();
    void newGameRequested();
    void reloadRequested();
    void prizeDeclared(int prize);
    // A box changed by any means; a mouse button released over it, after the change.
    void prizeBoxChanged(int prize, int value);
    void prizeBoxReleased(int prize);
    void cartellaClicked(int k);
    void ownerNameEdited(const QString &name);
    void manualChanged(int value);
    void scanditoChanged(int value);
    void smorfiaChanged(int value);
    void helpClicked();
    void logoClicked();

private:
    // The constructor's parts, top to bottom.
    void addPrizeLadder();
    void addOwnerName();
    void addOptions();
    void addCartelle();
    void addButtons();
    void addHelpAndLogo();
    // Tab walks the column top to bottom.
    void orderTabs();
};
