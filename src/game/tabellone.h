#pragma once

#include <QString>
#include <array>

// The fixed shape of the board: 90 cells, six cartelle of 3 x 5, 18 rows of five,
// and the prize ladder from ambo to tombola.
namespace tabellone {

constexpr int kCells = 90;
constexpr int kCartelle = 6;
constexpr int kRowsOfFive = 18;
constexpr int kPrizes = 5;
constexpr int kTombola = 4;

// First cell of each cartella; a cartella is that cell, the next four in its row, and
// the same five cells in the two rows below.
constexpr std::array<int, kCartelle> kFirstCells{0, 5, 30, 35, 60, 65};

constexpr int numberOf(int cell) { return cell + 1; }
constexpr int rowOf(int cell) { return cell / 10; }
constexpr int columnOf(int cell) { return cell % 10; }
constexpr int cartellaOf(int cell) { return (cell / 30) * 2 + (cell % 10) / 5; }
constexpr int rowOfFiveOf(int cell) { return cell / 5; }
constexpr int cartellaOfRowOfFive(int row) { return (row / 6) * 2 + row % 2; }

// The 15 cells of cartella k, row by row.
std::array<int, 15> cellsOfCartella(int k);

// Prize ladder, by index: the box caption (also the spoken name and the stored key)
// and how many owner numbers win it.
inline const std::array<QString, kPrizes> kPrizeCaptions{
    QStringLiteral("Ambo"), QStringLiteral("Terno"), QStringLiteral("Quaterna"),
    QStringLiteral("Cinquina"), QStringLiteral("Tombola")};
constexpr std::array<int, kPrizes> kPrizeCounts{2, 3, 4, 5, 15};

} // namespace tabellone
