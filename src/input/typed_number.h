// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// A number typed from the bag, digit by digit, then Enter: what has been typed so far, and
// the number it makes. A mistyped number stays as typed (up to three digits), so that Enter
// refuses it rather than taking its last digit for another.
class TypedNumber {
public:
    static constexpr int kMaxDigits = 3;

    void type(int digit);
    void erase() { typed_.chop(1); }
    void clear() { typed_.clear(); }
    // Enter: the number typed, when it is one of the board's (1 to 90), and a fresh start either way.
    std::optional<int> take();
    const QString &text() const { return typed_; }

private:
    QString typed_;
};
