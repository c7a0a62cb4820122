#include "announcer/keyboard_poll.h"

#include "platform/key_state.h"

KeyboardPoll::KeyboardPoll(KeyState &keys) : keys_(keys) {}

void KeyboardPoll::setAction(int code, std::function<void()> action)
{
    if (code >= 0 && code <= kLastCode)
        actions_[code] = std::move(action);
}

void KeyboardPoll::Timer3_Timer()
{
    for (int code = 0; code <= kLastCode; ++code) {
        if (!keys_.query(code)) {
            latch_[code] = false;
            continue;
        }
        if (!latch_[code] && actions_[code])
            actions_[code]();
        latch_[code] = true;
    }
}
