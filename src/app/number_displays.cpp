#include "app/number_displays.h"

#include "announcer/smorfia.h"
#include "app/controls.h"
#include "display/board_layout.h"
#include "display/look.h"

NumberDisplays::NumberDisplays(QWidget *window) : QObject(window)
{
    lastNumber = new ClickLabel(kNoNumberCaption, window);
    lastNumber->setFont(fontOf(kTimes, 72));
    lastNumber->setAlignment(Qt::AlignCenter);
    lastNumber->setLargeText(true);
    paintText(lastNumber, look::kLastNumberGreen);
    lastNumber->setCursor(handCursor(QStringLiteral(":/hand.png")));
    // No name of its own: a screen reader reads the number shown.
    lastNumber->setToolTip(QStringLiteral("Ultimo numero estratto (^)"));
    lastNumber->setAccessibleDescription(lastNumber->toolTip());
    placeInTwips(lastNumber, {210, 50, 1545, 1395});

    smorfiaLine = new ClickLabel(kSmorfiaTitle, window);
    smorfiaLine->setFont(fontOf(kSansSerif, 22.5));
    smorfiaLine->setAlignment(Qt::AlignCenter);
    paintText(smorfiaLine, look::kSmorfiaSalmon);
    smorfiaLine->setAccessibleDescription(QStringLiteral("La smorfia napoletana"));
    smorfiaLine->setToolTip(smorfiaLine->accessibleDescription());
    placeInTwips(smorfiaLine, {4560, 9870, int(kSmorfiaLineWidth), int(kSmorfiaLineHeight)});
}

void NumberDisplays::show(std::optional<int> number)
{
    lastNumber->setText(number ? QString::number(*number) : kNoNumberCaption);
    smorfiaLine->setText(number ? smorfiaOf(*number) : kSmorfiaTitle);
}

void NumberDisplays::placeSmorfiaLine(QPoint topLeft)
{
    smorfiaLine->move(topLeft);
}
