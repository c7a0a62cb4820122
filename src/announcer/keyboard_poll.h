#pragma once

#include <array>
#include <functional>

class KeyState;

// Turns each new key press into one action, ten times a second, whichever control has
// the focus; a held key acts once, keys first seen together act in ascending code order.
class KeyboardPoll {
public:
    static constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
    static constexpr int kF2 = 113, kF6 = 117, kF12 = 123;
    static constexpr int kIntervalMs = 100;
    static constexpr int kLastCode = 250;

    explicit KeyboardPoll(KeyState &keys);

    void setAction(int code, std::function<void()> action);
    // One poll of codes 0 to 250.
    void Timer3_Timer();

private:
    KeyState &keys_;
    std::array<bool, kLastCode + 1> latch_{};  // the key was down at the previous poll
    std::array<std::function<void()>, kLastCode + 1> actions_;
};
