// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/caller_keys.h"

#include "app/board_window.h"
#include "app/control_column.h"
#include "platform/key_state_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

CallerKeys::CallerKeys(BoardWindow &window, KeyState &keys) : QObject(&window), window_(window), poll_(keys)
{
    Caller &caller = window.caller();
    poll_.setAction(KeyboardPoll::kLeft, [&caller] { caller.toggleSmorfia(); });
    poll_.setAction(KeyboardPoll::kUp, [&caller] { caller.repeatLastNumber(); });
    poll_.setAction(KeyboardPoll::kRight, [&caller] { caller.toggleScandito(); });
    poll_.setAction(KeyboardPoll::kDown, [&window] { window.drawNumber(); });
    for (int i = 0; i < board::kPrizes; ++i)
        poll_.setAction(KeyboardPoll::kF2 + i, [&caller, i] { caller.declarePrizeWon(i); });
    poll_.setAction(KeyboardPoll::kF12, [&caller] { caller.startNewGame(); });
    // After the key state's filter, so that this one sees each key first.
    qApp->installEventFilter(this);
}

bool CallerKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // A key reaches its window first, where the key state counts it, then the focused control.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &window_)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool inName = widget == window_.controls->ownerName;
    switch (virtualKeyOf(key->key())) {
    case KeyboardPoll::kLeft:
    case KeyboardPoll::kUp:
    case KeyboardPoll::kRight:
    case KeyboardPoll::kDown:
        return !inName;
    case KeyboardPoll::kF12:
        return true;
    default:
        if (key->key() >= Qt::Key_F2 && key->key() <= Qt::Key_F6)
            return true;
    }
    if (event->type() != QEvent::KeyPress || inName || window_.caller().manual() == Manual::Off)
        return false;
    return typeFromTheBag(key->key());
}

bool CallerKeys::typeFromTheBag(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        typed_.type(key - Qt::Key_0);
    } else if (typed_.text().isEmpty()) {
        return false;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (const auto number = typed_.take())
            window_.caller().clickNumber(*number);
    } else if (key == Qt::Key_Escape) {
        typed_.clear();
    } else if (key == Qt::Key_Backspace) {
        typed_.erase();
    } else {
        return false;
    }
    emit typedChanged(typed_.text());
    return true;
}
