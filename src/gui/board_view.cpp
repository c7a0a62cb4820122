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
#include <QThread>

namespace {

// Papers are kept by kind and size in device pixels; a size of 0x0 holds the picture as read.
quint64 paperKey(bool inPlay, QSize device)
{
    return quint64(inPlay) << 63 | quint64(quint32(device.width())) << 31 | quint32(device.height());
}

// A paper texture scaled to a cell's size in device pixels, shared by the cells of that size.
const QImage &paper(QHash<quint64, QImage> &papers, bool inPlay, QSize size, qreal ratio)
{
    const QSize device = (QSizeF(size) * ratio).toSize();
    const quint64 key = paperKey(inPlay, device);
    if (const auto found = papers.constFind(key); found != papers.constEnd())
        return *found;
    const quint64 sourceKey = paperKey(inPlay, QSize(0, 0));
    QImage source = papers.value(sourceKey);
    if (source.isNull())
        source = QImage(inPlay ? look::kPaperLight : look::kPaperDark).convertToFormat(QImage::Format_RGB32);
    if (papers.size() > 16)
        papers.clear();
    papers.insert(sourceKey, source);
    // Opaque, so that drawing it is a plain copy.
    QImage picture = source.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    return *papers.insert(key, picture);
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

BoardView::~BoardView()
{
    if (drawer_)
        drawer_->wait();
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
    layOutCells();
    stale_.set();
    startDrawing();
    emit resized();
}

void BoardView::drawAhead()
{
    layOutCells();
    startDrawing();
}

void BoardView::layOutCells()
{
    const float dpi = float(logicalDpiY());
    const BoardGeometry geometry = boardGeometry(pixelsToTwips(width(), dpi), pixelsToTwips(height(), dpi));
    for (int i = 0; i < board::kCells; ++i)
        cells_[i] = toPixels(geometry.cells[i], dpi);
    for (int k = 0; k < kBars; ++k)
        bars_[k] = toPixels(geometry.bars[k], dpi);
    if (geometry.numberPoints > 0)
        numberFont_.setPointSizeF(geometry.numberPoints);
    bannerPoints_ = geometry.bannerPoints;
}

BoardView::Scene BoardView::scene() const
{
    const qreal ratio = devicePixelRatioF();
    return {marks_, cells_, bars_, look_, numberFont_.families(), numberFont_.pointSizeF(), size() * ratio, ratio};
}

void BoardView::drawCell(QPainter &painter, const Scene &scene, const QFont &font, int i, Papers &papers)
{
    const QRect &area = scene.cells[i];
    const Marks &m = scene.marks[i];
    const Look &look = scene.look;
    QColor number = Qt::black;
    if (m.drawn) {
        painter.fillRect(area, look.drawn);
        number = look.drawnNumber;
    } else if (!m.inPlay && look.leftOut.isValid()) {
        painter.fillRect(area, look.leftOut);
        number = look.leftOutNumber;
    } else {
        painter.drawImage(area.topLeft(), paper(papers, m.inPlay, area.size(), scene.ratio));
        number = m.inPlay ? QColor(Qt::black) : look.leftOutNumber;
    }
    painter.setPen(Qt::black);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    textpicture::drawCentredOnce(painter, area, QString::number(board::numberOf(i)), font, number);
}

BoardView::Drawing BoardView::drawWhole(const Scene &scene, Papers papers)
{
    // A font of this thread's own: a font's loaded faces belong to the thread that used it.
    QFont font;
    font.setFamilies(scene.fontFamilies);
    font.setPointSizeF(scene.fontPoints);
    QImage canvas(scene.size, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(scene.ratio);
    QPainter painter(&canvas);
    for (int i = 0; i < board::kCells; ++i)
        drawCell(painter, scene, font, i, papers);
    for (const QRect &bar : scene.bars)
        painter.fillRect(bar, Qt::black);
    painter.end();
    return {std::move(canvas), std::move(papers)};
}

void BoardView::startDrawing()
{
    if (size().isEmpty())
        return;
    const Scene now = scene();
    if (drawer_) {
        // One at a time: the drawing under way is the one needed, or one of a size the
        // board no longer has (a window manager maximising the window), then dropped.
        if (now.size == drawingSize_)
            return;
        takeDrawing();
    }
    drawn_ = std::make_unique<Drawing>();
    drawnMarks_ = marks_;
    drawingSize_ = now.size;
    drawer_.reset(QThread::create(
        [now, papers = papers_, into = drawn_.get()]() mutable { *into = drawWhole(now, std::move(papers)); }));
    drawer_->start();
}

void BoardView::takeDrawing()
{
    drawer_->wait();
    drawer_.reset();
    const std::unique_ptr<Drawing> drawing = std::move(drawn_);
    const qreal ratio = devicePixelRatioF();
    if (drawing->canvas.size() != size() * ratio || drawing->canvas.devicePixelRatio() != ratio)
        return;
    canvas_ = std::move(drawing->canvas);
    papers_ = std::move(drawing->papers);
    // Only what changed while it was drawn is left to draw.
    stale_.reset();
    for (int i = 0; i < board::kCells; ++i)
        stale_[i] = marks_[i] != drawnMarks_[i];
}

void BoardView::paintEvent(QPaintEvent *event)
{
    // The board is kept drawn in an opaque picture of its own, cell by cell as the game
    // changes: a paint only copies it, which at full screen costs a fraction of drawing the
    // ninety papers and numbers again.
    if (drawer_)
        takeDrawing();
    const qreal ratio = devicePixelRatioF();
    if (canvas_.size() != size() * ratio || canvas_.devicePixelRatio() != ratio) {
        canvas_ = QImage(size() * ratio, QImage::Format_RGB32);
        canvas_.setDevicePixelRatio(ratio);
        stale_.set();
    }
    if (stale_.any()) {
        const Scene now = scene();
        QPainter canvas(&canvas_);
        for (int i = 0; i < board::kCells; ++i)
            if (stale_[i])
                drawCell(canvas, now, numberFont_, i, papers_);
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
