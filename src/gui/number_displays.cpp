// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/number_displays.h"

#include "announcer/smorfia.h"
#include "game/game.h"
#include "gui/accessibility.h"
#include "gui/click_label.h"
#include "gui/widget_look.h"
#include "layout/column_layout.h"
#include "layout/look.h"

#include <QLabel>

namespace {
const QString kWithPhones = QStringLiteral("%1 \u260E%2");
const QString kPhonesTip = QStringLiteral("Telefoni collegati: %1");
} // namespace

NumberDisplays::NumberDisplays(QWidget *window) : QObject(window)
{
    lastNumber = new ClickLabel(kNoNumberCaption, window);
    lastNumber->setFont(fontOf(kTimes, 72));
    lastNumber->setAlignment(Qt::AlignCenter);
    lastNumber->setLargeText(true, true);
    paintText(lastNumber, look::kLastNumberGreen);
    lastNumber->setCursor(handCursor(QStringLiteral(":/hand.png")));
    // No name of its own: a screen reader reads the number shown.
    lastNumber->setToolTip(QStringLiteral("Ultimo numero estratto (^)"));
    lastNumber->setAccessibleDescription(keysInWords(lastNumber->toolTip()));
    placeInTwips(lastNumber, column::kLastNumber);

    smorfiaLine = new ClickLabel(kSmorfiaTitle, window);
    smorfiaLine->setFont(fontOf(kSansSerif, 22.5));
    smorfiaLine->setAlignment(Qt::AlignCenter);
    paintText(smorfiaLine, look::kSmorfiaSalmon);
    smorfiaLine->setAccessibleDescription(QStringLiteral("La smorfia napoletana"));
    smorfiaLine->setToolTip(smorfiaLine->accessibleDescription());
    placeInTwips(smorfiaLine, {4560, 9870, kSmorfiaLineWidth, kSmorfiaLineHeight});

    drawCount = new QLabel(window);
    drawCount->setFont(fontOf(kSansSerif, 11, true));
    drawCount->setAccessibleName(QStringLiteral("Estratti"));
    lastFive = new QLabel(window);
    lastFive->setFont(fontOf(kSansSerif, 9, true));
    lastFive->setAccessibleName(QStringLiteral("Ultimi numeri, dal più recente"));
    typedNumber = new QLabel(window);
    typedNumber->setFont(fontOf(kSansSerif, 12, true));
    typedNumber->setAccessibleName(QStringLiteral("Numero digitato"));
    placeInTwips(typedNumber, column::kTypedNumber);
    for (QLabel *label : {drawCount, lastFive, typedNumber}) {
        label->setAlignment(Qt::AlignCenter);
        paintText(label, Qt::white);
    }
    placeInTwips(drawCount, column::kDrawCount);
    placeInTwips(lastFive, column::kLastFive);
}

void NumberDisplays::show(std::optional<int> number, const Game &game)
{
    lastNumber->setText(number ? QString::number(*number) : kNoNumberCaption);
    smorfiaLine->setText(number ? smorfiaOf(*number) : kSmorfiaTitle);
    drawn_ = game.drawnCount();
    showCount();
    lastFive->setText(game.latest(5).join(QLatin1Char(' ')));
}

void NumberDisplays::showPhones(std::optional<int> count)
{
    phones_ = count;
    showCount();
}

void NumberDisplays::showCount()
{
    const QString count = QStringLiteral("%1/90").arg(drawn_);
    drawCount->setText(phones_ ? kWithPhones.arg(count).arg(*phones_) : count);
    drawCount->setToolTip(phones_ ? kPhonesTip.arg(*phones_) : QString());
}

void NumberDisplays::placeSmorfiaLine(QPoint topLeft) { smorfiaLine->move(topLeft); }
