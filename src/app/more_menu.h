// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QObject>

class BoardWindow;
class Caller;
class ClaimDialog;
class DrawnNumbersDialog;
class HallWindow;
class QAction;
class QMenu;
class QPushButton;
class SettingsStore;

// The "Altro" button under the help and the logo, its menu of the program's functions that
// have no control of their own, and the windows they open: the players' screen, the
// numbers drawn, the check of a cartella. Each function has a key that acts while the
// caller's window is active, whatever has the focus, like the game's keys.
class MoreMenu : public QObject {
    Q_OBJECT
public:
    MoreMenu(BoardWindow &window, Caller &caller, SettingsStore &store);

    // An item whose caption names its key, at the end of the menu or at its top.
    QAction *add(const QString &caption, const QKeySequence &key, bool first = false);
    // The windows it opened follow the game.
    void showGame();
    // The players' screen, opened or closed; open again at start when it was left open.
    void toggleHall();
    HallWindow *hall() const { return hall_; }

    QPushButton *button;
    QMenu *menu;

private:
    void checkClaim();
    void showDrawnNumbers();

    BoardWindow &window_;
    Caller &caller_;
    SettingsStore &store_;
    ClaimDialog *claim_ = nullptr;
    HallWindow *hall_ = nullptr;
    DrawnNumbersDialog *drawnNumbers_ = nullptr;
};
