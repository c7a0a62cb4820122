// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/more_menu.h"

#include "caller/caller.h"
#include "caller/stored.h"
#include "gui/claim_dialog.h"
#include "gui/drawn_numbers_dialog.h"
#include "gui/hall_window.h"
#include "gui/widget_look.h"
#include "layout/column_layout.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

MoreMenu::MoreMenu(const ActionTable &actions, QWidget *column, QWidget *window, Caller &caller, SettingsStore &store)
    : QObject(window), actions_(actions), window_(window), caller_(caller), store_(store)
{
    button = new QPushButton(QStringLiteral("Altro"), column);
    button->setFont(fontOf(kSansSerif, 8.25, true));
    paintText(button, Qt::black, QColor(224, 224, 224));
    button->setAccessibleName(QStringLiteral("Altro"));
    button->setAccessibleDescription(QStringLiteral("Le altre funzioni, ciascuna con il suo tasto"));
    placeInTwips(button, column::kMore);
    menu = new QMenu(button);
    button->setMenu(menu);
    for (const Action &action : actions_) {
        if (!action.inMenu)
            continue;
        if (action.id == ActionId::Help)
            menu->addSeparator();
        // The key is in the caption: the item has no shortcut of its own to show it twice.
        QAction *item = menu->addAction(action.caption);
        connect(item, &QAction::triggered, this, action.run);
        if (action.checked) {
            item->setCheckable(true);
            ticks_.append({item, action.checked});
        }
    }
    // The end of the program closes the players' screen, which then stays open for the next.
    qApp->installEventFilter(this);
    if (stored::read(store_, stored::kHallOpen))
        QMetaObject::invokeMethod(this, &MoreMenu::toggleHall, Qt::QueuedConnection);
    showGame();
}

bool MoreMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::Quit)
        ending_ = true;
    return false;
}

void MoreMenu::showGame()
{
    for (const auto &[item, checked] : ticks_) {
        const QSignalBlocker blocker(item);
        item->setChecked(checked());
    }
    if (hall_)
        hall_->showGame();
    if (drawnNumbers_)
        drawnNumbers_->showNumbers(caller_.game().drawOrder());
    if (claim_) {
        std::array<bool, board::kCells> drawn{};
        for (int i = 0; i < board::kCells; ++i)
            drawn[i] = caller_.game().cell(i).drawn;
        // With the tombolino still to come, a claim is checked for a full cartella.
        const int prize = caller_.game().prizeInPlay();
        claim_->setGame(drawn, prize < 0 && !caller_.game().over() ? board::kTombola : prize);
    }
}

void MoreMenu::toggleHall()
{
    if (hall_ && hall_->isVisible()) {
        hall_->close();
        return;
    }
    if (!hall_) {
        hall_ = new HallWindow(caller_, window_);
        hall_->setPhoneAddress(phoneUrl_);
        connect(hall_, &HallWindow::closed, this, [this] {
            if (!ending_)
                stored::write(store_, stored::kHallOpen, false);
        });
    }
    hall_->openBeside(window_, stored::read(store_, stored::kHallScreen));
    store_.writeAll(
        {stored::entry(stored::kHallOpen, true), stored::entry(stored::kHallScreen, hall_->screen()->name())});
}

void MoreMenu::setPhoneAddress(const QString &url)
{
    phoneUrl_ = url;
    if (hall_)
        hall_->setPhoneAddress(url);
}

void MoreMenu::checkClaim()
{
    if (!claim_) {
        claim_ = new ClaimDialog(window_);
        connect(claim_, &ClaimDialog::verdictReady, &caller_, &Caller::say);
    }
    showGame();
    claim_->show();
    claim_->raise();
    claim_->activateWindow();
}

void MoreMenu::showDrawnNumbers()
{
    if (!drawnNumbers_)
        drawnNumbers_ = new DrawnNumbersDialog(window_);
    drawnNumbers_->showNumbers(caller_.game().drawOrder());
    drawnNumbers_->show();
    drawnNumbers_->raise();
    drawnNumbers_->activateWindow();
    caller_.speakDrawOrder();
}
