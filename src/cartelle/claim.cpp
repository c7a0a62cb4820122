// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/claim.h"

#include "game/board.h"

#include <QStringList>
#include <algorithm>

namespace cartelle {

ClaimVerdict checkClaim(const Grid &cartella, const std::array<bool, 90> &drawn, int prizeInPlay)
{
    ClaimVerdict verdict;
    for (int r = 0; r < kRows; ++r)
        verdict.drawnInRow[r] =
            int(std::count_if(cartella[r].begin(), cartella[r].end(), [&](int n) { return n > 0 && drawn[n - 1]; }));
    const int bestRow = *std::max_element(verdict.drawnInRow.begin(), verdict.drawnInRow.end());
    verdict.tombola = std::ranges::all_of(verdict.drawnInRow, [](int n) { return n == kNumbersPerRow; });
    verdict.gameOver = prizeInPlay == kNoPrizeInPlay;
    if (prizeInPlay == board::kTombola)
        verdict.holdsPrizeInPlay = verdict.tombola;
    else if (prizeInPlay >= 0 && prizeInPlay < board::kTombola)
        verdict.holdsPrizeInPlay = bestRow >= board::kPrizeCounts[prizeInPlay];
    return verdict;
}

QString verdictPhrase(const QString &cartellaName, const ClaimVerdict &verdict)
{
    using namespace verdict_texts;
    QStringList prizes;
    if (verdict.tombola)
        prizes << kTombola;
    else
        for (int r = 0; r < kRows; ++r)
            if (verdict.rowPrize(r) >= 0)
                prizes << kRowPrizes[verdict.rowPrize(r)] + kIn + kRowNames[r];
    const QString opening = kCartella.arg(cartellaName);
    if (verdict.gameOver) {
        const int best = std::max({verdict.rowPrize(0), verdict.rowPrize(1), verdict.rowPrize(2)});
        return opening + kGameOver +
               (verdict.tombola ? kWouldHaveWon + kTombola
                   : best >= 0  ? kWouldHaveWon + kRowPrizes[best]
                                : kNoPrize);
    }
    if (prizes.isEmpty())
        return opening + kNoPrize;
    return opening + prizes.join(kJoin) + (verdict.holdsPrizeInPlay ? kValid : kNotValid);
}

} // namespace cartelle
