// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyboard as the game's keys see it, by virtual-key code (37-40 the arrows, 112-123
// F1-F12, letters and digits their ASCII capitals).
class KeyState {
public:
    struct Reading {
        int presses = 0; // since the previous reading of the key
        bool down = false; // now
    };
    virtual ~KeyState() = default;
    virtual Reading read(int code) = 0;
};
