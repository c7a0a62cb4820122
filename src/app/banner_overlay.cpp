// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/banner_overlay.h"

#include "app/board_view.h"
#include "caller/caller.h"
#include "display/look.h"

#include <QStringList>

BannerOverlay::BannerOverlay(BoardView *board, const Caller &caller)
    : ClickLabel(board), board_(board), caller_(caller)
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
    timer_.setInterval(BannerBlink::kTickMs);
    connect(&timer_, &QTimer::timeout, this, &BannerOverlay::tick);
    timer_.start();
}

void BannerOverlay::tick()
{
    const auto &message = caller_.prizeMessage();
    switch (blink_.tick(caller_.game().over(), message.has_value())) {
    case BannerBlink::Nothing:
        hide();
        return;
    case BannerBlink::Tombola:
        setText(caller_.game().tombolinoOut() ? kTombolinoBanner : kTombolaBanner);
        break;
    case BannerBlink::Message: {
        QStringList numbers;
        for (int n : *message)
            numbers << QString::number(n);
        setText(QLatin1Char(' ') + numbers.join(QStringLiteral(", ")) + QLatin1Char(' '));
        break;
    }
    }
    place();
    show();
    raise();
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
