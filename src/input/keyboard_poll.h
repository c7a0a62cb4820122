// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

class KeyState;

// The game's keys, read ten times a second whichever control has the focus: each press
// acts once (a held key does not repeat; two presses between readings act twice), and keys
// seen in the same reading act in the order of their codes.
class KeyboardPoll : public QObject {
    Q_OBJECT
public:
    // Virtual-key codes of the game's keys.
    static constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
    static constexpr int kF2 = 113, kF12 = 123;
    static constexpr int kIntervalMs = 100;
    static constexpr int kLastCode = 250;

    explicit KeyboardPoll(KeyState &keys, QObject *parent = nullptr);

    void setAction(int code, std::function<void()> action);
    // One reading of codes 0 to 250; the timer calls it.
    void tick();

private:
    KeyState &keys_;
    QTimer timer_;
    std::array<bool, kLastCode + 1> held_{};  // down at the previous reading
    std::array<std::function<void()>, kLastCode + 1> actions_;
};
