// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/option_box.h"

#include <QMouseEvent>

OptionBox::OptionBox(const QString &text, QWidget *parent) : QCheckBox(text, parent) { setTristate(true); }

int OptionBox::value() const
{
    switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void OptionBox::showValue(int value)
{
    const QSignalBlocker blocker(this);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void OptionBox::nextCheckState() { setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked); }

void OptionBox::mouseReleaseEvent(QMouseEvent *event)
{
    QCheckBox::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit mouseUp(event->button());
}
