// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/claim_notice.h"

#include "cartelle/claim.h"
#include "game/board.h"

#include <QStringList>
#include <algorithm>

namespace network {
namespace {

    // "l'11", "l'80" but "il 12": the article elides before a number spoken with a vowel.
    QString withArticle(int n)
    {
        const bool vowel = n == 1 || n == 8 || n == 11 || (n >= 80 && n <= 89);
        return (vowel ? notice_texts::kTheElided : notice_texts::kThe).arg(n);
    }

    // The numbers still out on the way to the prize: named when they are the only way to it
    // and few, otherwise counted.
    QString missingText(
        int prize, const cartelle::Grid &grid, const std::array<bool, 90> &drawn, const cartelle::ClaimVerdict &verdict)
    {
        using namespace notice_texts;
        constexpr int kNamedAtMost = 3;
        QList<int> undrawn;
        int needed = 0;
        if (prize == board::kTombola) {
            for (const auto &row : grid)
                for (int n : row)
                    if (n > 0 && !drawn[n - 1])
                        undrawn << n;
            needed = int(undrawn.size());
        } else {
            const int best = int(
                std::max_element(verdict.drawnInRow.begin(), verdict.drawnInRow.end()) - verdict.drawnInRow.begin());
            for (int n : grid[best])
                if (n > 0 && !drawn[n - 1])
                    undrawn << n;
            needed = board::kPrizeCounts[prize] - verdict.drawnInRow[best];
        }
        if (needed == int(undrawn.size()) && needed <= kNamedAtMost) {
            QStringList names;
            for (int n : undrawn)
                names << withArticle(n);
            const QString last = names.takeLast();
            const QString list = names.isEmpty() ? last : names.join(QStringLiteral(", ")) + kAnd + last;
            return (needed == 1 ? kMissingOne : kMissingSome).arg(list);
        }
        return needed == 1 ? kMissingOne.arg(kOneNumber) : kMissingSome.arg(kNumbers.arg(needed));
    }

} // namespace

QString claimNotice(int prize, const QString &name, cartelle::CartellaId cartella, const std::array<bool, 90> &drawn)
{
    using namespace notice_texts;
    const cartelle::Grid grid = cartelle::generateSerie(cartella.serie)[cartella.cartella - 1];
    const cartelle::ClaimVerdict verdict = cartelle::checkClaim(grid, drawn, prize);
    const int feminine = prize >= 2 ? 1 : 0;
    const QString opening = kCalledBy[feminine].arg(board::kPrizeNames[prize], name, cartelle::cartellaName(cartella));
    return opening + (verdict.holdsPrizeInPlay ? kValid[feminine]
                                               : kNotValid[feminine] + missingText(prize, grid, drawn, verdict));
}

} // namespace network
