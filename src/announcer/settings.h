#pragma once

#include "game/game_state.h"

class SettingsStore;
class Voice;

// The stored options: which prizes are left out, "Scandito" and "Smorfia".
class Settings {
public:
    Settings(GameState &state, SettingsStore &store, Voice &voice);

    // Loads the prize boxes 0-3, "Scandito" and "Smorfia"; a bad stored value leaves its box alone.
    void Settaggio();
    // The handlers that run on every change of "Manuale", "Scandito" and "Smorfia".
    void Check2_Click();
    void Check3_Click();
    void Check5_Click();

    // Changes a box the way a click does, running its handler when the value changes.
    void setManuale(int value);
    void setScandito(int value);
    void setSmorfia(int value);

private:
    GameState &state_;
    SettingsStore &store_;
    Voice &voice_;
};

namespace keys {
inline const QString kScandito = QStringLiteral("Scandito");
inline const QString kSmorfia = QStringLiteral("Smorfia");
} // namespace keys

namespace phrases {
inline const QString kManualDraw = QStringLiteral("estrazione manuale");
inline const QString kAutomaticDraw = QStringLiteral("estrazione automatica");
} // namespace phrases
