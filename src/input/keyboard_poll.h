// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

class KeyState;

// The game's keys, whichever control has the focus: each press acts once (a held key does
// not repeat; two presses between readings act twice). A press is taken as its key event
// arrives; the reading ten times a second acts on any press not taken, keys seen in the
// same reading in the order of their codes.
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
    // Reads one key now: how many presses to act on, which no later reading sees again.
    int take(int code);
    // Acts on the presses of one key now.
    void act(int code);
    // One reading of codes 0 to 250; the timer calls it.
    void tick();

private:
    KeyState &keys_;
    QTimer timer_;
    std::array<std::function<void()>, kLastCode + 1> actions_;
};
