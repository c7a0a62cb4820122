// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

// The fixed shape of the tabellone: 90 cells (cell i shows the number i + 1, ten to a
// row), six cartelle of three rows by five columns, and the prize ladder.
namespace board {

constexpr int kCells = 90;
constexpr int kCartelle = 6;
constexpr int kCellsPerCartella = 15;
constexpr int kPrizes = 5;
constexpr int kTombola = 4;

// The top left cell of each cartella: two cartelle side by side in every band of three rows.
constexpr std::array<int, kCartelle> kFirstCells{0, 5, 30, 35, 60, 65};

constexpr int numberOf(int cell) { return cell + 1; }
constexpr int cellOf(int number) { return number - 1; }
constexpr int cartellaOf(int cell) { return (cell / 30) * 2 + (cell % 10) / 5; }

// The 15 cells of a cartella, row by row.
constexpr std::array<int, kCellsPerCartella> cellsOfCartella(int cartella)
{
    std::array<int, kCellsPerCartella> cells{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            cells[r * 5 + c] = kFirstCells[cartella] + r * 10 + c;
    return cells;
}

// The ladder by index, ambo to tombola: each prize's name (also its box's caption, its
// spoken name and its stored key) and how many of the owner's numbers win it.
inline const std::array<QString, kPrizes> kPrizeNames{QStringLiteral("Ambo"), QStringLiteral("Terno"),
    QStringLiteral("Quaterna"), QStringLiteral("Cinquina"), QStringLiteral("Tombola")};
constexpr std::array<int, kPrizes> kPrizeCounts{2, 3, 4, 5, 15};

} // namespace board

// A prize box: clear while its prize is to be won, ticked once it is won or left out, grey
// (only ever loaded from a stored option) counting as not in play. Stored as 0, 1 and 2.
enum class PrizeBox { Clear = 0, Ticked = 1, Grey = 2 };
