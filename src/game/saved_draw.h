#pragma once

#include "game/game_state.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

// The game in progress as one stored text: the five prize boxes, the six cartella
// flags and the index of every drawn cell in increasing order, each item followed by "-".
struct SavedDraw {
    std::array<int, tabellone::kPrizes> prize{};
    std::array<bool, tabellone::kCartelle> cartellaInPlay{};
    std::vector<int> drawnCells;

    static SavedDraw of(const GameState &state);
    QString text() const;
    // The saved draw the text describes, or nothing when any item is missing or wrong.
    static std::optional<SavedDraw> parse(const QString &text);
};

inline const QString kSavedDrawKey = QStringLiteral("SalvaUlt");
// What the store answers when no game was ever saved.
inline const QString kNoSavedDraw = QStringLiteral("0-0-0-0-0");
