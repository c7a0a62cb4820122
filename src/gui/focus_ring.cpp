// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/focus_ring.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {
constexpr int kWidth = 2; // of each of the two colours
}

FocusRing::FocusRing(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusRing::follow(QWidget *focused)
{
    if (focused_)
        focused_->removeEventFilter(this);
    focused_ = focused && focused->window() == parentWidget() ? focused : nullptr;
    if (!focused_) {
        hide();
        return;
    }
    focused_->installEventFilter(this);
    const QRect area(focused_->mapTo(parentWidget(), QPoint(0, 0)), focused_->size());
    setGeometry(area.adjusted(-2 * kWidth, -2 * kWidth, 2 * kWidth, 2 * kWidth));
    raise();
    show();
    update();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == focused_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                   event->type() == QEvent::Hide || event->type() == QEvent::Show))
        follow(focused_->isVisible() ? focused_.data() : nullptr);
    return false;
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect outer = rect();
    const QRect inner = outer.adjusted(kWidth, kWidth, -kWidth, -kWidth);
    // Only the ring is painted: the control shows through the middle.
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), kWidth), Qt::black);
    painter.fillRect(QRect(outer.left(), outer.bottom() - kWidth + 1, outer.width(), kWidth), Qt::black);
    painter.fillRect(QRect(outer.left(), outer.top(), kWidth, outer.height()), Qt::black);
    painter.fillRect(QRect(outer.right() - kWidth + 1, outer.top(), kWidth, outer.height()), Qt::black);
    const QColor yellow(255, 255, 0);
    painter.fillRect(QRect(inner.left(), inner.top(), inner.width(), kWidth), yellow);
    painter.fillRect(QRect(inner.left(), inner.bottom() - kWidth + 1, inner.width(), kWidth), yellow);
    painter.fillRect(QRect(inner.left(), inner.top(), kWidth, inner.height()), yellow);
    painter.fillRect(QRect(inner.right() - kWidth + 1, inner.top(), kWidth, inner.height()), yellow);
}
