// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cartelle/serie.h"

#include <QString>
#include <array>

namespace cartelle {

// The prize now in play on the ladder: 0 ambo, 1 terno, 2 quaterna, 3 cinquina,
// 4 tombola, or this when every prize is gone.
constexpr int kNoPrizeInPlay = -1;

// What a cartella holds against the numbers drawn so far.
struct ClaimVerdict {
    std::array<int, kRows> drawnInRow{};
    bool tombola = false; // all fifteen drawn
    bool holdsPrizeInPlay = false; // the claim is good
    bool gameOver = false; // no prize left to play for

    // The best prize of a row on the ladder (0 ambo to 3 cinquina), -1 below an ambo.
    int rowPrize(int row) const { return drawnInRow[row] >= 2 ? drawnInRow[row] - 2 : -1; }
};

// `drawn` holds number n at index n - 1.
ClaimVerdict checkClaim(const Grid &cartella, const std::array<bool, 90> &drawn, int prizeInPlay);

// "Cartella 42-3: cinquina nella seconda riga, valida", and the like.
QString verdictPhrase(const QString &cartellaName, const ClaimVerdict &verdict);

namespace verdict_texts {
    inline const QString kCartella = QStringLiteral("Cartella %1: ");
    inline const std::array<QString, 4> kRowPrizes{
        QStringLiteral("ambo"), QStringLiteral("terno"), QStringLiteral("quaterna"), QStringLiteral("cinquina")};
    inline const QString kIn = QStringLiteral(" nella ");
    inline const std::array<QString, kRows> kRowNames{
        QStringLiteral("prima riga"), QStringLiteral("seconda riga"), QStringLiteral("terza riga")};
    inline const QString kTombola = QStringLiteral("tombola");
    inline const QString kNoPrize = QStringLiteral("nessun premio");
    inline const QString kJoin = QStringLiteral(", ");
    inline const QString kValid = QStringLiteral(", valida");
    inline const QString kNotValid = QStringLiteral(", non valida");
    inline const QString kGameOver = QStringLiteral("partita finita, ");
    inline const QString kWouldHaveWon = QStringLiteral("la cartella avrebbe fatto ");
} // namespace verdict_texts

} // namespace cartelle
