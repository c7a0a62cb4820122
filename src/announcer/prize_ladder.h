#pragma once

#include "game/game_state.h"

#include <array>

class SettingsStore;
class Voice;

// The prize boxes and buttons: leaving a prize out, and declaring a prize won elsewhere.
class PrizeLadder {
public:
    PrizeLadder(GameState &state, SettingsStore &store, Voice &voice);

    // A mouse button released over box i, after a left click has toggled it.
    void Check1_MouseUp(int i);
    // Prize button i (F2 to F6): declares prize i won.
    void Command4_Click(int i);

private:
    GameState &state_;
    SettingsStore &store_;
    Voice &voice_;
};

namespace phrases {
inline const std::array<QString, tabellone::kPrizes> kPrizeDeclared{
    QStringLiteral("L'ambo è uscito, si prosegue per il terno"),
    QStringLiteral("il terno è uscito, si prosegue per la quaterna"),
    QStringLiteral("La quaterna è uscita, si prosegue per la cinquina"),
    QStringLiteral("La cinquina è uscita, si prosegue per la tombola"),
    QStringLiteral("Tombola")};
inline const QString kNotPresent = QStringLiteral(" non presente.");
inline const QString kPresent = QStringLiteral(" presente.");
} // namespace phrases
