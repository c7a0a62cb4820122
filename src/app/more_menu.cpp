// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/more_menu.h"

#include "app/board_window.h"
#include "app/claim_dialog.h"
#include "app/control_column.h"
#include "app/controls.h"
#include "app/drawn_numbers_dialog.h"
#include "app/hall_window.h"
#include "app/print_cartelle_dialog.h"
#include "caller/caller.h"
#include "caller/stored.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

MoreMenu::MoreMenu(BoardWindow &window, Caller &caller, SettingsStore &store)
    : QObject(&window), window_(window), caller_(caller), store_(store)
{
    button = new QPushButton(QStringLiteral("Altro"), window.controls);
    button->setFont(fontOf(kSansSerif, 8.25, true));
    paintText(button, Qt::black, QColor(224, 224, 224));
    button->setAccessibleName(QStringLiteral("Altro"));
    button->setAccessibleDescription(QStringLiteral("Le altre funzioni, ciascuna con il suo tasto"));
    placeInTwips(button, {210, 9900, 1545, 330});
    menu = new QMenu(button);
    button->setMenu(menu);

    connect(add(QStringLiteral("Schermo sala (F7)"), Qt::Key_F7), &QAction::triggered, this, &MoreMenu::toggleHall);
    connect(add(QStringLiteral("Numeri usciti (F8)"), Qt::Key_F8), &QAction::triggered, this,
            &MoreMenu::showDrawnNumbers);
    connect(add(QStringLiteral("Verifica cartella (F9)"), Qt::Key_F9), &QAction::triggered, this, &MoreMenu::checkClaim);
    connect(add(QStringLiteral("Stampa cartelle… (Ctrl+P)"), QKeySequence(Qt::CTRL | Qt::Key_P)),
            &QAction::triggered, &window, [&window] { PrintCartelleDialog(&window).exec(); });
    QAction *tombolino = menu->addAction(QStringLiteral("Tombolino"));
    tombolino->setCheckable(true);
    tombolino->setChecked(caller.game().tombolinoPlayed());
    connect(tombolino, &QAction::toggled, &caller, &Caller::setTombolinoPlayed);
    menu->addSeparator();
    connect(add(QStringLiteral("Aiuto (F1)"), Qt::Key_F1), &QAction::triggered, window.controls,
            &ControlColumn::helpClicked);
    connect(add(QStringLiteral("Esci (Ctrl+Q)"), QKeySequence(Qt::CTRL | Qt::Key_Q)), &QAction::triggered, &window,
            &QWidget::close);
    if (stored::read(store_, stored::kHallOpen))
        QMetaObject::invokeMethod(this, &MoreMenu::toggleHall, Qt::QueuedConnection);
}

QAction *MoreMenu::add(const QString &caption, const QKeySequence &key, bool first)
{
    auto *action = new QAction(caption, menu);
    menu->insertAction(first && !menu->actions().isEmpty() ? menu->actions().first() : nullptr, action);
    // The key is in the caption; a shortcut of the item's own would show it twice.
    auto *shortcut = new QShortcut(key, &window_);
    connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    return action;
}

void MoreMenu::showGame()
{
    if (hall_)
        hall_->showGame();
    if (drawnNumbers_)
        drawnNumbers_->showNumbers(caller_.game().drawOrder());
    if (claim_) {
        std::array<bool, board::kCells> drawn{};
        for (int i = 0; i < board::kCells; ++i)
            drawn[i] = caller_.game().cell(i).drawn;
        claim_->setGame(drawn, caller_.game().prizeInPlay());
    }
}

void MoreMenu::toggleHall()
{
    if (hall_ && hall_->isVisible()) {
        hall_->close();
        return;
    }
    if (!hall_) {
        hall_ = new HallWindow(caller_, &window_);
        connect(hall_, &HallWindow::closeAsked, this, &MoreMenu::toggleHall);
        // Closed by the caller or the window manager, not by the end of the program.
        connect(hall_, &HallWindow::closed, this, [this] {
            if (window_.isVisible())
                stored::write(store_, stored::kHallOpen, false);
        });
    }
    hall_->openBeside(&window_, stored::read(store_, stored::kHallScreen));
    store_.writeAll(
        {stored::entry(stored::kHallOpen, true), stored::entry(stored::kHallScreen, hall_->screen()->name())});
}

void MoreMenu::checkClaim()
{
    if (!claim_) {
        claim_ = new ClaimDialog(&window_);
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
        drawnNumbers_ = new DrawnNumbersDialog(&window_);
    drawnNumbers_->showNumbers(caller_.game().drawOrder());
    drawnNumbers_->show();
    drawnNumbers_->raise();
    caller_.speakDrawOrder();
}
