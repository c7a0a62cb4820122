// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/more_menu.h"

#include "caller/caller.h"
#include "caller/stored.h"
#include "evening/auto_caller.h"
#include "evening/evening.h"
#include "gui/claim_dialog.h"
#include "gui/drawn_numbers_dialog.h"
#include "gui/hall_window.h"
#include "gui/widget_look.h"
#include "gui/winners_dialog.h"
#include "layout/column_layout.h"
#include "session/session.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

namespace {

const QString kInterval = QStringLiteral("Intervallo: %1 s");
const QString kIntervalItem = QStringLiteral("%1 secondi");
const QString kConfirmed = QStringLiteral("Vincita confermata: %1, %2.");
const QString kNotConfirmed = QStringLiteral("La cartella non vince nessun premio ora.");
// The intervals offered, from the fastest to the slowest allowed.
constexpr int kIntervals[] = {3, 4, 5, 6, 7, 8, 10, 12, 15, 20, 25, 30};

} // namespace

MoreMenu::MoreMenu(const ActionTable &actions, QWidget *column, QWidget *window, Session &session, SettingsStore &store)
    : QObject(window), session_(session), actions_(actions), window_(window), caller_(session.caller()), store_(store),
      evening_(&session.evening()), autoCaller_(&session.autoCaller())
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
    addIntervalMenu();
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

void MoreMenu::addIntervalMenu()
{
    AutoCaller &autoCaller = *autoCaller_;
    interval_ = new QMenu(menu);
    for (int seconds : kIntervals) {
        QAction *item = interval_->addAction(kIntervalItem.arg(seconds));
        item->setCheckable(true);
        item->setData(seconds);
        connect(
            item, &QAction::triggered, &autoCaller, [&autoCaller, seconds] { autoCaller.setIntervalSeconds(seconds); });
    }
    // Right under "Estrazione automatica".
    const QList<QAction *> items = menu->actions();
    QAction *after = nullptr;
    for (const Action &action : actions_)
        if (action.id == ActionId::AutoCall)
            for (qsizetype i = 0; i + 1 < items.size(); ++i)
                if (items[i]->text() == action.caption)
                    after = items[i + 1];
    menu->insertMenu(after, interval_);
    connect(&autoCaller, &AutoCaller::changed, this, &MoreMenu::showGame);
    connect(evening_, &Evening::changed, this, &MoreMenu::showGame);
}

void MoreMenu::showGame()
{
    for (const auto &[item, checked] : ticks_) {
        const QSignalBlocker blocker(item);
        item->setChecked(checked());
    }
    if (interval_) {
        interval_->setTitle(kInterval.arg(autoCaller_->intervalSeconds()));
        for (QAction *item : interval_->actions())
            item->setChecked(item->data().toInt() == autoCaller_->intervalSeconds());
    }
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
        hall_ = new HallWindow(session_, window_);
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
        if (evening_) {
            claim_->setClaimable([this](const cartelle::Grid &grid, const QString &code) {
                return evening_->claimablePrize(grid, code).has_value();
            });
            connect(claim_, &ClaimDialog::claimConfirmed, this,
                [this](const cartelle::Grid &grid, const QString &code, const QString &name) {
                    const auto prize = evening_->confirmClaim(grid, code, name);
                    const QString who = evening::cleanName(name, evening::kMaxClaimName);
                    claim_->showConfirmed(
                        prize ? kConfirmed.arg(evening::prizeName(*prize), who.isEmpty() ? Evening::kInTheRoom : who)
                              : kNotConfirmed);
                });
            // No number comes while a claim is being checked.
            connect(claim_, &QDialog::finished, autoCaller_, [this] { autoCaller_->setClaimOpen(false); });
        }
    }
    if (autoCaller_)
        autoCaller_->setClaimOpen(true);
    showGame();
    claim_->show();
    claim_->raise();
    claim_->activateWindow();
}

void MoreMenu::showWinners()
{
    if (!evening_)
        return;
    if (!winners_)
        winners_ = new WinnersDialog(*evening_, session_.evenings(), window_);
    winners_->showRecord();
    winners_->showPastEvenings();
    winners_->show();
    winners_->raise();
    winners_->activateWindow();
}

void MoreMenu::showDrawnNumbers()
{
    if (!drawnNumbers_) {
        drawnNumbers_ = new DrawnNumbersDialog(window_);
        drawnNumbers_->setAttribute(Qt::WA_DeleteOnClose);
    }
    drawnNumbers_->showNumbers(caller_.game().drawOrder());
    drawnNumbers_->show();
    drawnNumbers_->raise();
    drawnNumbers_->activateWindow();
    caller_.speakDrawOrder();
}
