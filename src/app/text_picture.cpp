// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/text_picture.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace textpicture {
namespace {

struct Picture {
    QPixmap pixmap;
    QPointF offset;  // of the picture's top left corner from the line box's
};

// Keyed by text, font, colour and ratio. The board's 90 numbers at two sizes, the last number
// and the banner fit easily; a full cache is emptied rather than tracked entry by entry.
constexpr int kMaxPictures = 1024;

Picture makePicture(const QString &text, const QFont &font, const QColor &colour, qreal ratio)
{
    const QFontMetricsF metrics(font);
    QPainterPath path;
    path.addText(0, metrics.ascent(), font, text);
    // Glyphs may reach past their advance (italic overhang, a negative bearing).
    const QRectF bounds = path.boundingRect().adjusted(-1, -1, 1, 1);
    const QRect device(QPoint(int(std::floor(bounds.left() * ratio)), int(std::floor(bounds.top() * ratio))),
                       QPoint(int(std::ceil(bounds.right() * ratio)), int(std::ceil(bounds.bottom() * ratio))));
    QImage image(device.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-device.topLeft());
        painter.scale(ratio, ratio);
        painter.fillPath(path, colour);
    }
    image.setDevicePixelRatio(ratio);
    return {QPixmap::fromImage(std::move(image)), QPointF(device.topLeft()) / ratio};
}

} // namespace

QSizeF lineSize(const QString &text, const QFont &font)
{
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void drawCentred(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font,
                 const QColor &colour)
{
    if (text.isEmpty())
        return;
    static QHash<QString, Picture> pictures;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QString key = text + QLatin1Char('\x1f') + font.key() + QLatin1Char('\x1f')
                        + QString::number(colour.rgba(), 16) + QLatin1Char('\x1f') + QString::number(ratio);
    auto found = pictures.constFind(key);
    if (found == pictures.constEnd()) {
        if (pictures.size() >= kMaxPictures)
            pictures.clear();
        found = pictures.insert(key, makePicture(text, font, colour, ratio));
    }
    const QSizeF line = lineSize(text, font);
    const QPointF lineTopLeft(rect.center().x() - line.width() / 2, rect.center().y() - line.height() / 2);
    // Whole device pixels keep the copy a plain blit.
    const QPointF at = lineTopLeft + found->offset;
    painter.drawPixmap(QPointF(std::round(at.x() * ratio) / ratio, std::round(at.y() * ratio) / ratio),
                       found->pixmap);
}

} // namespace textpicture
