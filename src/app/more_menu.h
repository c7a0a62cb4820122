// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QMenu;
class QPushButton;
class QWidget;

// The "Altro" button under the help and the logo, and its menu: the program's functions
// that have no control of their own. Each has a key that acts while the window is active,
// whatever has the focus, like the game's keys.
class MoreMenu : public QObject {
    Q_OBJECT
public:
    MoreMenu(QWidget *column, QWidget *window);

    // An item whose caption names its key, at the end of the menu or at its top.
    QAction *add(const QString &caption, const QKeySequence &key, bool first = false);
    QAction *addCheckable(const QString &caption);

    QPushButton *button;
    QMenu *menu;

private:
    QWidget *window_;
};
