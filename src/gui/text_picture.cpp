// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/text_picture.h"

#include <QCache>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <memory>

namespace textpicture {
namespace {

    struct Picture {
        QPixmap pixmap;
        QPointF offset; // of the picture's top left corner from the line box's
    };

    struct Image {
        QImage image;
        QPointF offset;
    };

    // Keyed by text, font, colour and ratio, and bounded by their bytes, the least used going
    // first: the last number, the blinking banner, the players' screen's lines.
    constexpr qsizetype kMaxBytes = 2 << 20;

    Image makeImage(const QString &text, const QFont &font, const QColor &colour, qreal ratio)
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
        return {std::move(image), QPointF(device.topLeft()) / ratio};
    }

    Picture makePicture(const QString &text, const QFont &font, const QColor &colour, qreal ratio)
    {
        Image made = makeImage(text, font, colour, ratio);
        return {QPixmap::fromImage(std::move(made.image)), made.offset};
    }

    // Where a picture goes for its text to sit centred in rect, on whole device pixels so
    // that the copy is a plain blit.
    QPointF placeOf(const QRectF &rect, const QString &text, const QFont &font, QPointF offset, qreal ratio)
    {
        const QSizeF line = lineSize(text, font);
        const QPointF at =
            QPointF(rect.center().x() - line.width() / 2, rect.center().y() - line.height() / 2) + offset;
        return {std::round(at.x() * ratio) / ratio, std::round(at.y() * ratio) / ratio};
    }

    qreal ratioOf(const QPainter &painter) { return painter.device() ? painter.device()->devicePixelRatioF() : 1.0; }

} // namespace

QSizeF lineSize(const QString &text, const QFont &font)
{
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void drawCentred(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &colour)
{
    if (text.isEmpty())
        return;
    static QCache<QString, Picture> pictures(kMaxBytes);
    const qreal ratio = ratioOf(painter);
    const QString key = text + QLatin1Char('\x1f') + font.key() + QLatin1Char('\x1f') +
                        QString::number(colour.rgba(), 16) + QLatin1Char('\x1f') + QString::number(ratio);
    Picture *found = pictures.object(key);
    if (!found) {
        auto made = std::make_unique<Picture>(makePicture(text, font, colour, ratio));
        const qsizetype bytes = qsizetype(made->pixmap.width()) * made->pixmap.height() * 4;
        found = made.get();
        // A picture larger than the whole budget takes the budget alone.
        if (!pictures.insert(key, made.release(), std::min(bytes, kMaxBytes)))
            return;
    }
    painter.drawPixmap(placeOf(rect, text, font, found->offset, ratio), found->pixmap);
}

void drawCentredOnce(
    QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &colour)
{
    if (text.isEmpty())
        return;
    const qreal ratio = ratioOf(painter);
    const Image made = makeImage(text, font, colour, ratio);
    painter.drawImage(placeOf(rect, text, font, made.offset, ratio), made.image);
}

} // namespace textpicture
