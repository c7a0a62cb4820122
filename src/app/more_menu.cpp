// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/more_menu.h"

#include "app/controls.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

MoreMenu::MoreMenu(QWidget *column, QWidget *window) : QObject(column), window_(window)
{
    button = new QPushButton(QStringLiteral("Altro"), column);
    button->setFont(fontOf(kSansSerif, 8.25, true));
    paintText(button, Qt::black, QColor(224, 224, 224));
    button->setAccessibleName(QStringLiteral("Altro"));
    button->setAccessibleDescription(QStringLiteral("Le altre funzioni, ciascuna con il suo tasto"));
    placeInTwips(button, {210, 9900, 1545, 330});
    menu = new QMenu(button);
    button->setMenu(menu);
}

QAction *MoreMenu::add(const QString &caption, const QKeySequence &key, bool first)
{
    QAction *action = new QAction(caption, menu);
    menu->insertAction(first && !menu->actions().isEmpty() ? menu->actions().first() : nullptr, action);
    // The key is in the caption; a shortcut of the item's own would show it twice.
    auto *shortcut = new QShortcut(key, window_);
    connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    return action;
}

QAction *MoreMenu::addCheckable(const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setCheckable(true);
    return action;
}
