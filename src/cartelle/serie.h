// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The printed cartelle: series of six that hold the numbers 1 to 90 once each.
namespace cartelle {

constexpr int kRows = 3;
constexpr int kColumns = 9;
constexpr int kNumbersPerRow = 5;
constexpr int kCartellePerSerie = 6;
constexpr int kFirstSerie = 1;
constexpr int kLastSerie = 99999;

// A cartella's cells, row by row; 0 is an empty cell.
using Grid = std::array<std::array<int, kColumns>, kRows>;
// Cartella i of a serie (1 to 6) is element i - 1.
using Serie = std::array<Grid, kCartellePerSerie>;

// Column of number n: its decade, with 90 joining the eighties.
constexpr int columnOf(int n) { return n == 90 ? kColumns - 1 : n / 10; }

// Serie k, from kFirstSerie to kLastSerie: always the same six cartelle.
Serie generateSerie(int serie);

} // namespace cartelle
