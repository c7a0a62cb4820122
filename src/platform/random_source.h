// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A source of uniform random whole numbers.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A number in [0, bound), every value equally likely; bound > 0.
    virtual int bounded(int bound) = 0;
};

// Draws from the generator that the system seeds from its entropy source.
class SystemRandomSource : public RandomSource {
public:
    int bounded(int bound) override;
};
