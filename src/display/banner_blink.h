// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the banner over the board shows, decided every half second: " TOMBOLA " blinks
// (one tick on, one off) while the tombola is out; otherwise a pending prize message shows
// steadily; otherwise nothing.
class BannerBlink {
public:
    enum Show { Nothing, Tombola, Message };
    static constexpr int kTickMs = 500;

    Show tick(bool tombolaOut, bool messagePending)
    {
        if (tombolaOut && mayShow_) {
            mayShow_ = false;
            return Tombola;
        }
        if (messagePending && mayShow_)
            return Message;
        mayShow_ = true;
        return Nothing;
    }

private:
    bool mayShow_ = false;  // the first tick after start only arms it
};
