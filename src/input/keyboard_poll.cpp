// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/keyboard_poll.h"

#include "platform/key_state.h"

KeyboardPoll::KeyboardPoll(KeyState &keys, QObject *parent) : QObject(parent), keys_(keys)
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &KeyboardPoll::tick);
    timer_.start();
}

void KeyboardPoll::setAction(int code, std::function<void()> action) { actions_.at(code) = std::move(action); }

int KeyboardPoll::take(int code) { return keys_.read(code).presses; }

void KeyboardPoll::act(int code)
{
    for (int presses = take(code); presses > 0 && actions_[code]; --presses)
        actions_[code]();
}

void KeyboardPoll::tick()
{
    for (int code = 0; code <= kLastCode; ++code)
        act(code);
}
