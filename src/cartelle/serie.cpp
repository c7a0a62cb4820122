// SPDX-License-Identifier: GPL-3.0-or-later
//
// Serie k must be the same six cartelle on every machine and in every version, because
// a player holds a cartella printed long ago and the caller checks it by its code today.
// So every choice below comes from our own splitmix64 seeded from k, through integer
// arithmetic only: no std::shuffle, std::uniform_int_distribution or anything else whose
// results the standard leaves to the library. Changing anything here (the seed, the
// order of the draws, one step) changes every serie ever printed; the golden series in
// the tests are there to fail when that happens.

#include "cartelle/serie.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace cartelle {
namespace {

    class SplitMix64 {
    public:
        explicit SplitMix64(std::uint64_t seed) : state_(seed) { }

        std::uint64_t next()
        {
            std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            return z ^ (z >> 31);
        }

        // 0 to bound - 1: the top 32 bits scaled down, a bias far below anything a game notices.
        int below(int bound) { return int(((next() >> 32) * std::uint64_t(bound)) >> 32); }

        // Fisher-Yates, from the last element down.
        void shuffle(std::span<int> items)
        {
            for (int i = int(items.size()) - 1; i > 0; --i)
                std::swap(items[i], items[below(i + 1)]);
        }

    private:
        std::uint64_t state_;
    };

    constexpr int firstOfColumn(int c) { return c == 0 ? 1 : 10 * c; }
    constexpr int lastOfColumn(int c) { return c == kColumns - 1 ? 90 : 10 * c + 9; }
    constexpr int sizeOfColumn(int c) { return lastOfColumn(c) - firstOfColumn(c) + 1; }

    using ColumnCounts = std::array<std::array<int, kColumns>, kCartellePerSerie>;

    // How many numbers each cartella takes from each column: one to start with everywhere,
    // then the 36 numbers left over dealt six to a cartella, dealt again when a cartella
    // would get a fourth number in one column.
    ColumnCounts dealColumnCounts(SplitMix64 &random)
    {
        constexpr int kLeftOver = 90 - kCartellePerSerie * kColumns;
        constexpr int kLeftOverEach = kLeftOver / kCartellePerSerie;
        std::array<int, kLeftOver> columnOfLeftOver{};
        for (int c = 0, next = 0; c < kColumns; ++c)
            for (int n = kCartellePerSerie; n < sizeOfColumn(c); ++n)
                columnOfLeftOver[next++] = c;
        for (;;) {
            random.shuffle(std::span(columnOfLeftOver));
            ColumnCounts counts;
            for (auto &row : counts)
                row.fill(1);
            bool fits = true;
            for (int u = 0; u < kLeftOver && fits; ++u)
                fits = ++counts[u / kLeftOverEach][columnOfLeftOver[u]] <= kRows;
            if (fits)
                return counts;
        }
    }

    // Chooses the rows of one cartella's numbers column by column, in a random order, each
    // column taking the rows that still miss the most numbers (ties broken at random). That
    // never gets stuck: the rows' needs stay within one of each other, so a column of k
    // numbers always finds k rows that still need one.
    Grid placeInRows(const std::array<std::array<int, kRows>, kColumns> &numbers,
        const std::array<int, kColumns> &counts, SplitMix64 &random)
    {
        std::array<int, kColumns> columns{0, 1, 2, 3, 4, 5, 6, 7, 8};
        random.shuffle(std::span(columns));
        std::array<int, kRows> need{kNumbersPerRow, kNumbersPerRow, kNumbersPerRow};
        Grid grid{};
        for (int c : columns) {
            std::array<int, kRows> rows{0, 1, 2};
            random.shuffle(std::span(rows));
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return need[a] > need[b]; });
            std::array<bool, kRows> chosen{};
            for (int k = 0; k < counts[c]; ++k)
                chosen[rows[k]] = true;
            for (int r = 0, k = 0; r < kRows; ++r) // the numbers ascend downwards
                if (chosen[r]) {
                    grid[r][c] = numbers[c][k++];
                    --need[r];
                }
        }
        return grid;
    }

} // namespace

Serie generateSerie(int serie)
{
    // The seed's constant is "Sorteggi" in ASCII: any would do, this one must stay.
    SplitMix64 random(0x536F727465676769ULL ^ std::uint64_t(serie));
    const ColumnCounts counts = dealColumnCounts(random);

    // Each column's numbers shuffled and handed out in cartella order, each share ascending.
    std::array<std::array<std::array<int, kRows>, kColumns>, kCartellePerSerie> numbers{};
    for (int c = 0; c < kColumns; ++c) {
        std::array<int, 11> column{};
        const std::span shuffled(column.data(), std::size_t(sizeOfColumn(c)));
        for (int n = firstOfColumn(c); n <= lastOfColumn(c); ++n)
            shuffled[n - firstOfColumn(c)] = n;
        random.shuffle(shuffled);
        for (int i = 0, next = 0; i < kCartellePerSerie; ++i) {
            auto share = std::span(numbers[i][c]).first(counts[i][c]);
            std::copy_n(shuffled.begin() + next, counts[i][c], share.begin());
            std::sort(share.begin(), share.end());
            next += counts[i][c];
        }
    }

    Serie cartelle;
    for (int i = 0; i < kCartellePerSerie; ++i)
        cartelle[i] = placeInRows(numbers[i], counts[i], random);
    return cartelle;
}

} // namespace cartelle
