// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/typed_number.h"

#include "game/board.h"

void TypedNumber::type(int digit)
{
    const QString longer = typed_ + QString::number(digit);
    typed_ = longer.toInt() <= board::kCells && longer.size() <= 2 ? longer : QString::number(digit);
}

std::optional<int> TypedNumber::take()
{
    const int number = typed_.toInt();
    typed_.clear();
    if (number < 1 || number > board::kCells)
        return std::nullopt;
    return number;
}
