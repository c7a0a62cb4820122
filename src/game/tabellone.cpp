#include "game/tabellone.h"

namespace tabellone {

std::array<int, 15> cellsOfCartella(int k)
{
    std::array<int, 15> cells{};
    const int first = kFirstCells.at(k);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            cells[r * 5 + c] = first + r * 10 + c;
    return cells;
}

} // namespace tabellone
