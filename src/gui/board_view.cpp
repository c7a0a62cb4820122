// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/board_view.h"

#include "game/game.h"
#include "gui/text_picture.h"
#include "gui/widget_look.h"
#include "layout/look.h"

#include <QAccessible>
#include <QHash>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// The two paper textures scaled to a cell's size in device pixels, shared by all cells.
const QPixmap &paper(bool inPlay, QSize size, qreal ratio)
{
    static QHash<QString, QPixmap> sources;
    static QHash<QString, QPixmap> scaled;
    const QSize device = (QSizeF(size) * ratio).toSize();
    const QString path = inPlay ? look::kPaperLight : look::kPaperDark;
    const QString key = path + QString::number(device.width()) + QLatin1Char('x') + QString::number(device.height());
    if (const auto found = scaled.constFind(key); found != scaled.constEnd())
        return *found;
    if (!sources.contains(path))
        sources.insert(path, QPixmap(path));
    if (scaled.size() > 16)
        scaled.clear();
    // Opaque, so that drawing it is a plain copy.
    QPixmap picture = QPixmap::fromImage(sources[path]
                                             .toImage()
                                             .convertToFormat(QImage::Format_RGB32)
                                             .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(ratio);
    return *scaled.insert(key, picture);
}

} // namespace

BoardView::Look BoardView::callersLook() { return {look::kDrawnRed, Qt::black, QColor(), Qt::black}; }

BoardView::Look BoardView::hallLook() { return {QColor(150, 0, 0), Qt::white, QColor(120, 60, 30), Qt::white}; }

BoardView::BoardView(const Look &look, QWidget *parent) : QWidget(parent), look_(look)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    numberFont_.setFamilies(kArial);
    numberFont_.setPointSizeF(48);
}

void BoardView::showGame(const Game &game)
{
    for (int i = 0; i < board::kCells; ++i) {
        const Marks now{game.cell(i).drawn, game.cell(i).inPlay};
        if (now.drawn != marks_[i].drawn || now.inPlay != marks_[i].inPlay) {
            marks_[i] = now;
            stale_.set(i);
            update(cells_[i]);
            if (QAccessible::isActive()) {
                // So that a screen reader follows the board as it changes.
                QAccessible::State changed;
                changed.checked = true;
                QAccessibleStateChangeEvent event(QAccessible::queryAccessibleInterface(this)->child(i), changed);
                QAccessible::updateAccessibility(&event);
                QAccessibleEvent described(
                    QAccessible::queryAccessibleInterface(this)->child(i), QAccessible::DescriptionChanged);
                QAccessible::updateAccessibility(&described);
            }
        }
    }
}

void BoardView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const float dpi = float(logicalDpiY());
    const BoardGeometry geometry = boardGeometry(pixelsToTwips(width(), dpi), pixelsToTwips(height(), dpi));
    for (int i = 0; i < board::kCells; ++i)
        cells_[i] = toPixels(geometry.cells[i], dpi);
    for (int k = 0; k < kBars; ++k)
        bars_[k] = toPixels(geometry.bars[k], dpi);
    if (geometry.numberPoints > 0)
        numberFont_.setPointSizeF(geometry.numberPoints);
    bannerPoints_ = geometry.bannerPoints;
    stale_.set();
    emit resized();
}

void BoardView::drawCell(QPainter &painter, int i)
{
    const QRect &area = cells_[i];
    const Marks &m = marks_[i];
    QColor number = Qt::black;
    if (m.drawn) {
        painter.fillRect(area, look_.drawn);
        number = look_.drawnNumber;
    } else if (!m.inPlay && look_.leftOut.isValid()) {
        painter.fillRect(area, look_.leftOut);
        number = look_.leftOutNumber;
    } else {
        painter.drawPixmap(area.topLeft(), paper(m.inPlay, area.size(), canvas_.devicePixelRatio()));
        number = m.inPlay ? QColor(Qt::black) : look_.leftOutNumber;
    }
    painter.setPen(Qt::black);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    textpicture::drawCentred(painter, area, QString::number(board::numberOf(i)), numberFont_, number);
}

void BoardView::paintEvent(QPaintEvent *event)
{
    // The board is kept drawn in an opaque picture of its own, cell by cell as the game
    // changes: a paint only copies it, which at full screen costs a fraction of drawing the
    // ninety papers and numbers again.
    const qreal ratio = devicePixelRatioF();
    if (canvas_.size() != size() * ratio || canvas_.devicePixelRatio() != ratio) {
        canvas_ = QImage(size() * ratio, QImage::Format_RGB32);
        canvas_.setDevicePixelRatio(ratio);
        stale_.set();
    }
    if (stale_.any()) {
        QPainter canvas(&canvas_);
        for (int i = 0; i < board::kCells; ++i)
            if (stale_[i])
                drawCell(canvas, i);
        for (const QRect &bar : bars_)
            canvas.fillRect(bar, Qt::black);
        stale_.reset();
    }
    QPainter painter(this);
    for (const QRect &area : event->region())
        painter.drawImage(area, canvas_, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

int BoardView::cellAt(QPoint point) const
{
    for (int i = 0; i < board::kCells; ++i)
        if (cells_[i].contains(point))
            return i;
    return -1;
}

void BoardView::mousePressEvent(QMouseEvent *event)
{
    pressedCell_ = event->button() == Qt::LeftButton ? cellAt(event->position().toPoint()) : -1;
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    const int cell = cellAt(event->position().toPoint());
    const bool click = event->button() == Qt::LeftButton && cell >= 0 && cell == pressedCell_;
    pressedCell_ = -1;
    if (click)
        emit numberClicked(board::numberOf(cell));
}
