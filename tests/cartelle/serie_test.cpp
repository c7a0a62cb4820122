// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/code.h"
#include "cartelle/serie.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace cartelle;

namespace {

QString gridText(const Grid &grid)
{
    QStringList rows;
    for (const auto &row : grid) {
        QStringList cells;
        for (int n : row)
            cells << (n == 0 ? QStringLiteral(".") : QString::number(n));
        rows << cells.join(' ');
    }
    return rows.join(QStringLiteral(" / "));
}

// Every rule of a serie; the first broken one, or an empty text.
std::string brokenRule(const Serie &serie)
{
    std::array<int, 91> seen{};
    for (int i = 0; i < kCartellePerSerie; ++i) {
        const std::string where = "cartella " + std::to_string(i + 1) + ": ";
        for (const auto &row : serie[i])
            if (std::count_if(row.begin(), row.end(), [](int n) { return n != 0; }) != kNumbersPerRow)
                return where + "a row without five numbers";
        for (int c = 0; c < kColumns; ++c) {
            int count = 0, previous = 0;
            for (int r = 0; r < kRows; ++r)
                if (const int n = serie[i][r][c]; n != 0) {
                    if (n < 1 || n > 90 || columnOf(n) != c || n <= previous)
                        return where + std::to_string(n) + " out of place in column " + std::to_string(c);
                    previous = n;
                    ++count;
                    ++seen[n];
                }
            if (count < 1 || count > kRows)
                return where + "column " + std::to_string(c) + " holds " + std::to_string(count);
        }
    }
    for (int n = 1; n <= 90; ++n)
        if (seen[n] != 1)
            return std::to_string(n) + " appears " + std::to_string(seen[n]) + " times";
    return {};
}

} // namespace

TEST(Serie, EverySerieKeepsTheRules)
{
    for (int k = kFirstSerie; k <= kLastSerie; k += k < 3000 ? 1 : 37)
        ASSERT_EQ(brokenRule(generateSerie(k)), "") << "serie " << k;
    EXPECT_EQ(brokenRule(generateSerie(kLastSerie)), "");
}

// Printed cartelle are checked by their code for years: any change here is a fault.
TEST(Serie, GoldenSeriesNeverChange)
{
    const struct {
        int serie;
        std::array<const char *, kCartellePerSerie> codes, grids;
    } golden[] = {
        {1, {"1-1-F", "1-2-H", "1-3-K", "1-4-M", "1-5-R", "1-6-U"},
            {"2 14 20 35 . 56 . . . / 9 . . . 40 . 61 71 88 / . 18 25 37 . . . 74 90",
                ". . 26 . 49 54 66 . 80 / . 12 28 33 . 58 . 73 . / 7 16 29 36 . . . 78 .",
                ". . 23 . 42 50 . 70 81 / . . 24 38 43 . 64 . 83 / 3 13 . 39 48 . . . 86",
                "6 . . 34 . 52 65 72 . / . . . . 41 55 67 77 82 / 8 15 21 . . . 69 79 .",
                ". 11 27 30 . 51 60 . . / 1 . . . 45 53 62 75 . / 4 17 . . . 57 68 . 87",
                ". . . 31 44 59 63 . 84 / 5 10 . 32 46 . . . 85 / . 19 22 . 47 . . 76 89"}},
        {42, {"42-1-M", "42-2-R", "42-3-U", "42-4-W", "42-5-X", "42-6-A"},
            {". 14 23 30 40 . 62 . . / . . . . 42 53 67 71 85 / 6 . 26 . 49 . . 73 89",
                ". 11 . 32 . . 61 77 86 / 5 16 27 36 . 51 . . . / 9 . 29 39 44 . . . 88",
                "1 . . 37 . 56 64 79 . / 3 10 . . 46 . 68 . 82 / . 19 24 . . 58 69 . 83",
                "4 13 22 . 43 . . 70 . / . . 28 31 45 50 63 . . / 7 . . 38 . 57 65 . 87",
                ". 17 21 . . 54 . 72 80 / 2 18 . . . 55 . 74 81 / . . . 33 41 59 66 76 .",
                ". 12 20 34 47 . 60 . . / 8 . 25 . 48 . . 75 84 / . 15 . 35 . 52 . 78 90"}},
        {99999, {"99999-1-K", "99999-2-M", "99999-3-R", "99999-4-U", "99999-5-W", "99999-6-X"},
            {"1 . 26 . . 52 61 . 81 / 4 . . 37 41 56 . 78 . / 9 17 . . 49 57 . . 86",
                ". 15 20 36 46 . 62 . . / 8 16 27 . . . 63 75 . / . 18 . . . 50 65 76 88",
                ". 10 21 34 43 55 . . . / . 12 . 39 48 . 68 72 . / 7 . 29 . . 58 . 74 84",
                ". . 24 30 . . 64 71 82 / 2 . . 31 . 53 66 77 . / 3 11 . 32 40 . . . 83",
                ". 13 . . 42 54 60 . 80 / . . 22 . 47 59 . 73 87 / 5 14 . 38 . . 69 . 89",
                ". 19 23 . 44 51 67 . . / . . 25 33 45 . . 70 85 / 6 . 28 35 . . . 79 90"}},
    };
    for (const auto &g : golden) {
        const Serie serie = generateSerie(g.serie);
        for (int i = 0; i < kCartellePerSerie; ++i) {
            EXPECT_EQ(printedCode({g.serie, i + 1}), g.codes[i]);
            EXPECT_EQ(gridText(serie[i]), g.grids[i]) << g.codes[i];
        }
    }
}
