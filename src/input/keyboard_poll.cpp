// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/keyboard_poll.h"

#include "platform/key_state.h"

KeyboardPoll::KeyboardPoll(KeyState &keys, QObject *parent) : QObject(parent), keys_(keys)
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &KeyboardPoll::tick);
    timer_.start();
}

void KeyboardPoll::setAction(int code, std::function<void()> action)
{
    actions_.at(code) = std::move(action);
}

void KeyboardPoll::tick()
{
    for (int code = 0; code <= kLastCode; ++code) {
        const KeyState::Reading reading = keys_.read(code);
        int presses = reading.presses;
        // A key already down when the program started was never seen pressed.
        if (presses == 0 && reading.down && !held_[code])
            presses = 1;
        for (int i = 0; i < presses && actions_[code]; ++i)
            actions_[code]();
        held_[code] = reading.down;
    }
}
