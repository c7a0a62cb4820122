// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// A monotonic clock in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

// The system's monotonic clock.
class SteadyClock : public Clock {
public:
    qint64 nowMs() const override;
};
