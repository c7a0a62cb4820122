// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/typed_number.h"

#include "game/board.h"

void TypedNumber::type(int digit)
{
    if (typed_.size() < kMaxDigits)
        typed_ += QString::number(digit);
}

std::optional<int> TypedNumber::take()
{
    const int number = typed_.toInt();
    typed_.clear();
    if (number < 1 || number > board::kCells)
        return std::nullopt;
    return number;
}
