// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/actions.h"

#include <QObject>
#include <QPointer>

class AutoCaller;
class Caller;
class ClaimDialog;
class Evening;
class Session;
class WinnersDialog;
class DrawnNumbersDialog;
class HallWindow;
class QAction;
class QMenu;
class QPushButton;
class QWidget;
class SettingsStore;

// The "Altro" button under the help and the logo, its menu of the table's items, and the
// windows they open: the players' screen, the numbers drawn, the check of a cartella.
class MoreMenu : public QObject {
    Q_OBJECT
public:
    // The button goes on the column; the windows it opens belong to the caller's window.
    MoreMenu(const ActionTable &actions, QWidget *column, QWidget *window, Session &session, SettingsStore &store);

    // The windows it opened and the ticked items follow the game.
    void showGame();
    // The players' screen, opened beside the caller's window without taking the keyboard
    // or closed; open again at start when the program ended with it open.
    void toggleHall();
    void showDrawnNumbers();
    void checkClaim();
    void showWinners();
    HallWindow *hall() const { return hall_; }
    // The address the players' phones open, shown on the players' screen; empty takes it away.
    void setPhoneAddress(const QString &url);

    QPushButton *button;
    QMenu *menu;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Automatic calling's interval, in a submenu right under its item.
    void addIntervalMenu();

    Session &session_;
    const ActionTable &actions_;
    QWidget *window_;
    Caller &caller_;
    SettingsStore &store_;
    QList<std::pair<QAction *, std::function<bool()>>> ticks_;
    ClaimDialog *claim_ = nullptr;
    HallWindow *hall_ = nullptr;
    // Gone once closed: a hidden list that follows the game would still be read by a screen reader.
    QPointer<DrawnNumbersDialog> drawnNumbers_;
    WinnersDialog *winners_ = nullptr;
    Evening *evening_ = nullptr;
    AutoCaller *autoCaller_ = nullptr;
    QMenu *interval_ = nullptr;
    bool ending_ = false;
    QString phoneUrl_;
};
