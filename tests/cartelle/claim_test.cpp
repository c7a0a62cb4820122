// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/claim.h"

#include <gtest/gtest.h>

using namespace cartelle;

TEST(Claim, VerdictOfACartellaAgainstTheDraw)
{
    const Grid cartella{{{1, 0, 0, 37, 0, 56, 64, 79, 0}, // 42-3
        {3, 10, 0, 0, 46, 0, 68, 0, 82}, {0, 19, 24, 0, 0, 58, 69, 0, 83}}};
    const std::initializer_list<int> everyNumber{1, 37, 56, 64, 79, 3, 10, 46, 68, 82, 19, 24, 58, 69, 83};
    const struct {
        const char *name;
        std::vector<int> drawn;
        int prizeInPlay;
        const char *phrase;
    } cases[] = {
        {"nothing drawn", {}, 0, "Cartella 42-3: nessun premio"},
        {"one a row and others elsewhere", {1, 3, 19, 2, 20, 90}, 0, "Cartella 42-3: nessun premio"},
        {"the ambo in play", {1, 37, 90}, 0, "Cartella 42-3: ambo nella prima riga, valida"},
        {"two rows in order", {24, 19, 58, 1, 37}, 1,
            "Cartella 42-3: ambo nella prima riga, terno nella terza riga, valida"},
        {"the cinquina in play", {3, 10, 46, 68, 82}, 3, "Cartella 42-3: cinquina nella seconda riga, valida"},
        {"a cinquina holds an ambo", {3, 10, 46, 68, 82}, 0, "Cartella 42-3: cinquina nella seconda riga, valida"},
        {"a quaterna short of the cinquina", {1, 37, 56, 64}, 3,
            "Cartella 42-3: quaterna nella prima riga, non valida"},
        {"a cinquina while the tombola is in play", {3, 10, 46, 68, 82}, 4,
            "Cartella 42-3: cinquina nella seconda riga, non valida"},
        {"every prize gone", {1, 37, 56, 3}, kNoPrizeInPlay,
            "Cartella 42-3: partita finita, la cartella avrebbe fatto terno"},
        {"nothing after the tombola", {2, 90}, kNoPrizeInPlay, "Cartella 42-3: partita finita, nessun premio"},
        {"tombola", everyNumber, 4, "Cartella 42-3: tombola, valida"},
        {"tombola after the tombola", everyNumber, kNoPrizeInPlay,
            "Cartella 42-3: partita finita, la cartella avrebbe fatto tombola"},
    };
    for (const auto &c : cases) {
        std::array<bool, 90> drawn{};
        for (int n : c.drawn)
            drawn[n - 1] = true;
        EXPECT_EQ(verdictPhrase(QStringLiteral("42-3"), checkClaim(cartella, drawn, c.prizeInPlay)), c.phrase)
            << c.name;
    }
}
