// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

// The game in progress as it is stored. The main text keeps its historical form: the five
// prize boxes, the six cartella flags and the cell of every number out in increasing order,
// each item followed by "-". What earlier versions did not keep is stored apart, so that
// the main text stays readable by them: the order in which the numbers came, as the numbers
// joined by "-", and the tombolino, as "1" once it is out and the owner's complete
// cartelle at the tombola, joined by "-".
struct SavedGame {
    std::array<PrizeBox, board::kPrizes> prizes{};
    std::array<bool, board::kCartelle> cartellaInPlay{};
    QList<int> order; // the numbers out, in the order they came
    bool tombolinoOut = false;
    int fullAtTombola = 0;

    QString text() const;
    QString orderText() const;
    QString tombolinoText() const;
    // The saved game the main text describes, or nothing when any item of it is missing or
    // wrong. The order is taken from orderText where it agrees with the main text; numbers
    // it lacks follow in board order, so a game saved without it comes back in board order.
    static std::optional<SavedGame> parse(
        const QString &text, const QString &orderText = {}, const QString &tombolinoText = {});
};
