#pragma once

#include "game/game_state.h"

#include <functional>

class Voice;
class SettingsStore;
class RandomSource;

// The game engine: drawing, the prize check of the owner's cartelle, new game and the
// saved draw, all on a GameState. What belongs to other layers (the announcement of a
// number, the reload of the options, the help panel) is reached through hooks.
class Game {
public:
    struct Hooks {
        std::function<void()> Confusi;    // announce `UltimoNumero`
        std::function<void()> Settaggio;  // load the stored options into the boxes
        std::function<void()> hideHelp;   // hide the help panel
    };

    Game(GameState &state, Voice &voice, SettingsStore &store, RandomSource &random);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // "Estrai Numero": draws a number not yet out, uniformly, then checks the prizes.
    void Command2_Click();
    // A click on board cell `index`: in manual mode marks or withdraws it; then checks.
    void Label1_Click(int index);
    // The prize check of the owner's cartelle, ending with the save.
    void Controlla();
    // Writes the game in progress under "SalvaUlt".
    void SalvaUltimo();
    // "Ricomincia": a new game; the exclusion of the cartelle stays as it is.
    void Command1_Click();
    // "Ricarica ultima": brings back the saved game, all of it or nothing.
    void Command5_Click();

private:
    void markDrawn(int cell);
    QString nextPrizeCaption() const;

    GameState &state_;
    Voice &voice_;
    SettingsStore &store_;
    RandomSource &random_;
    Hooks hooks_;
};

namespace phrases {
inline const QString kNewGame = QStringLiteral("Attenzione, si procede per una nuova partita.");
inline const QString kReloaded = QStringLiteral("Ultima estrazione, ricaricata!");
inline const QString kNoSavedGame = QStringLiteral("Non ci sono partite salvate!");
inline const QString kWithdrawn = QStringLiteral("Numero ");
inline const QString kPrizeLead = QStringLiteral(". ");
inline const QString kPrizeFor = QStringLiteral(" per ");
inline const QString kGoesOnFor = QStringLiteral(", si va per ");
} // namespace phrases
