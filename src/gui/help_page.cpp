// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/help_page.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

HelpPage::HelpPage(QWidget *parent) : QWidget(parent) { hide(); }

void HelpPage::toggle()
{
    setVisible(!isVisible());
    if (isVisible())
        raise();
}

void HelpPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 128));
    const QRect page(1, 1, width() - 2, height() - 2);
    // Read the picture only when the page is first shown.
    if (!renderer_)
        renderer_ = new QSvgRenderer(QStringLiteral(":/help.svg"), this);
    renderer_->render(&painter, QRectF(page.topLeft(), QSizeF(700, 650)));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HelpPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
