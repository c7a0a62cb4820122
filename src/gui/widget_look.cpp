// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widget_look.h"

#include "gui/text_picture.h"
#include "layout/board_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QSvgRenderer>

QFont fontOf(const QStringList &families, qreal points, bool bold)
{
    // A missing family costs a search through every installed font: name the installed ones
    // only, found once for each list.
    static QHash<QString, QStringList> installed;
    const QString key = families.join(u'\n');
    auto found = installed.constFind(key);
    if (found == installed.constEnd()) {
        const auto first = std::find_if(families.begin(), families.end(),
            [](const QString &family) { return !QFontDatabase::styles(family).isEmpty(); });
        found = installed.insert(key, first == families.end() ? families : QStringList(first, families.end()));
    }
    QFont font;
    font.setFamilies(*found);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

namespace {

const char kDesignPlace[] = "designPlace";
const char kDesignFont[] = "designFont";

QRect zoomedPlace(const QWidget *widget, const QRectF &place, float zoom)
{
    const TwipsRect rect{float(place.left()) * zoom, float(place.top()) * zoom, float(place.width()) * zoom,
        float(place.height()) * zoom};
    return toPixels(rect, float(widget->logicalDpiY()));
}

// What the style draws at a fixed size (a check box's square, frames, margins), shrunk as well.
class ZoomStyle : public QProxyStyle {
public:
    ZoomStyle() : QProxyStyle(QApplication::style()->name()) { }
    float zoom = 1.0f;

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_CheckBoxLabelSpacing:
        case PM_ButtonMargin:
        case PM_DefaultFrameWidth: return std::max(1, int(std::lround(float(size) * zoom)));
        default: return size;
        }
    }
};

} // namespace

void placeInTwips(QWidget *widget, const TwipsRect &place)
{
    const QRectF design(place.left, place.top, place.width, place.height);
    widget->setProperty(kDesignPlace, design);
    widget->setGeometry(zoomedPlace(widget, design, 1.0f));
}

void zoomColumnPlaces(QWidget *parent, float zoom)
{
    static QPointer<ZoomStyle> style;
    if (!style) {
        style = new ZoomStyle;
        style->setParent(qApp);
    }
    style->zoom = zoom;
    for (QWidget *widget : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRectF design = widget->property(kDesignPlace).toRectF();
        if (design.isEmpty() || design.right() > kControlColumnWidth)
            continue;
        if (!widget->property(kDesignFont).isValid()) {
            if (zoom == 1.0f)
                continue; // never shrunk: as designed
            widget->setProperty(kDesignFont, widget->font());
        }
        QFont font = widget->property(kDesignFont).value<QFont>();
        font.setPointSizeF(font.pointSizeF() * zoom);
        widget->setFont(font);
        widget->setStyle(nullptr);
        if (zoom != 1.0f)
            widget->setStyle(style);
        widget->setGeometry(zoomedPlace(widget, design, zoom));
    }
}

QIcon logoIcon(int side)
{
    // Read as the pictures they are named: a file given to the icon would first be tried by
    // every picture format Qt can load. The icon picks among them as it would among all.
    QIcon icon;
    for (int size : {32, 64, 128, 256}) {
        icon.addPixmap(QPixmap(QStringLiteral(":/logo%1.png").arg(size)));
        if (size >= side * qApp->devicePixelRatio())
            break;
    }
    return icon;
}

QCursor handCursor(const QString &path)
{
    // The fingertip is the hot spot of both hand pictures.
    const QPixmap picture(path);
    return picture.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(picture, 12, 1);
}

void paintText(QWidget *widget, const QColor &text, const QColor &back)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    // A check box draws its tick in the Text colour on its white box: keep the style's.
    if (!qobject_cast<QCheckBox *>(widget))
        palette.setColor(QPalette::Text, text);
    if (back.isValid()) {
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::Button, back);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}
