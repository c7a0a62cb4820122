// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the cartelle of the series FIRST to LAST, one serie a line, for the page's own copy of
// the series to be compared with (cartelle_check.js).
#include "cartelle/serie.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    for (int serie = std::atoi(argv[1]); serie <= std::atoi(argv[2]); ++serie) {
        for (const auto &grid : cartelle::generateSerie(serie))
            for (const auto &row : grid)
                for (int n : row)
                    std::printf("%d ", n);
        std::printf("\n");
    }
}
