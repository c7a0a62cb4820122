// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The speech voice. `speak` returns at once: the text joins a queue and is spoken
// after everything queued before it, in full; nothing already queued is cut short.
class Voice {
public:
    virtual ~Voice() = default;
    virtual void speak(const QString &text) = 0;
};
