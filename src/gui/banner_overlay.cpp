// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/banner_overlay.h"

#include "caller/caller.h"
#include "gui/board_view.h"
#include "layout/look.h"

#include <QMouseEvent>

BannerOverlay::BannerOverlay(BoardView *board, const Caller &caller) : ClickLabel(board), board_(board), caller_(caller)
{
    setFont(fontOf(kArial, 72, true));
    setAlignment(Qt::AlignCenter);
    setLargeText(true);
    paintText(this, look::kBannerYellow, look::kTableGreen);
    hide();
    connect(board, &BoardView::resized, this, [this] {
        if (isVisible())
            place();
    });
    blink_.setInterval(kBlinkMs);
    connect(&blink_, &QTimer::timeout, this, &BannerOverlay::tick);
    connect(&caller, &Caller::changed, this, &BannerOverlay::showGame);
    showGame();
}

void BannerOverlay::showGame()
{
    if (caller_.game().over()) {
        if (!blink_.isActive()) {
            blink_.start();
            showText(caller_.bannerText());
        }
        return;
    }
    blink_.stop();
    if (caller_.prizeMessage())
        showText(caller_.bannerText());
    else
        hide();
}

void BannerOverlay::tick()
{
    if (isVisible() || !caller_.game().over())
        hide();
    else
        showText(caller_.bannerText());
}

void BannerOverlay::showText(const QString &text)
{
    // A space each side, so that the green reaches past the letters.
    setText(QLatin1Char(' ') + text + QLatin1Char(' '));
    place();
    show();
    raise();
}

void BannerOverlay::mousePressEvent(QMouseEvent *event)
{
    ClickLabel::mousePressEvent(event);
    event->accept();
}

void BannerOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    ClickLabel::mouseReleaseEvent(event);
    event->accept();
}

void BannerOverlay::place()
{
    if (board_->bannerPoints() > 0) {
        QFont big = font();
        big.setPointSizeF(board_->bannerPoints());
        setFont(big);
    }
    adjustSize();
    // Centred: a banner wider than the board overhangs both sides evenly and is clipped.
    move((board_->width() - width()) / 2, (board_->height() - height()) / 2);
}
