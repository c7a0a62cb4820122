// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

// Reads the computer's font configuration (dozens of files and the font caches) on a
// thread of its own while Qt connects to the display: the window's first text would
// otherwise wait for it. Qt finds the configuration already read.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

    // Returns once the configuration is read.
    void wait();

private:
    std::thread thread_;
};
