// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The speech voice. `speak` returns at once: the text joins a queue and is spoken
// after everything queued before it, in full; nothing already queued is cut short.
class Voice {
public:
    virtual ~Voice() = default;
    virtual void speak(const QString &text) = 0;
    // True from a speak until the end of the last text queued; a voice that cannot tell says false.
    virtual bool isSpeaking() const { return false; }
};
