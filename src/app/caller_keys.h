// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "input/keyboard_poll.h"
#include "input/typed_number.h"

#include <QObject>

class BoardWindow;
class KeyState;

// The caller's keyboard. The game's keys are read by the poll whatever has the focus, and
// have no other effect on the focused control (in the name box the arrows also move the
// cursor). In manual mode a number typed from the bag (digits, then Enter) is marked as a
// click on its cell would; Escape clears what was typed, Backspace takes a digit back.
class CallerKeys : public QObject {
    Q_OBJECT
public:
    CallerKeys(BoardWindow &window, KeyState &keys);

    KeyboardPoll &poll() { return poll_; }

signals:
    void typedChanged(const QString &typed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typeFromTheBag(int key);

    BoardWindow &window_;
    KeyboardPoll poll_;
    TypedNumber typed_;
};
