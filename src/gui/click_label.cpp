// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/click_label.h"

#include "gui/text_picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

ClickLabel::ClickLabel(QWidget *parent) : ClickLabel(QString(), parent) { }

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent) { }

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            emit clicked();
        break;
    default: QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent *event)
{
    if (largeText_ && pixmap().isNull()) {
        QPainter painter(this);
        QFont font = this->font();
        const qreal wide = textpicture::lineSize(text(), font).width();
        if (shrinkToFit_ && wide > contentsRect().width())
            font.setPointSizeF(font.pointSizeF() * contentsRect().width() / wide);
        textpicture::drawCentred(painter, contentsRect(), text(), font, palette().color(foregroundRole()));
    } else {
        QLabel::paintEvent(event);
    }
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
