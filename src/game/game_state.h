#pragma once

#include "game/tabellone.h"

#include <QString>
#include <array>
#include <optional>

// What the last-number display and the smorfia line show before the first number.
inline const QString kNoNumberCaption = QStringLiteral("OV");
inline const QString kSmorfiaTitle = QStringLiteral("La smorfia napoletana");

// One cell of the board and its three marks.
struct Cell {
    bool drawn = false;  // the number is out: the label shows its red background
    bool owner = false;  // drawn while its cartella was in play: counts for the owner's prizes
    bool inPlay = true;  // its cartella is not excluded
};

// Everything the window shows of a game, with no widget in it. Check-box values
// are 0 clear, 1 ticked, 2 grey (only ever loaded from a stored value).
struct GameState {
    std::array<Cell, tabellone::kCells> cells{};
    std::array<bool, tabellone::kCartelle> cartellaInPlay{true, true, true, true, true, true};
    bool cartelleLocked = false;  // the cartella labels refuse clicks after the first check

    std::array<int, tabellone::kPrizes> prize{};        // `Check1(i)`: 0 still to be won
    std::array<bool, tabellone::kPrizes> prizeRed{};    // caption red: left out by the user

    bool messagePending = false;  // `Check4`: a prize message waits for the banner
    QString messageText;          // the Tag of `Check4`: the winning row's numbers

    int manuale = 0;   // `Check2`
    int scandito = 0;  // `Check3`
    int smorfia = 0;   // `Check5`
    QString nome = QStringLiteral("il tabellone");  // `Text1`, the owner's name

    std::optional<int> UltimoNumero;  // last number drawn or clicked, 1 to 90
    QString lastNumberCaption = kNoNumberCaption;  // `Label5`, the last-number display
    QString smorfiaCaption = kSmorfiaTitle;        // `Label6`, the smorfia line

    bool tombolaOut() const { return prize[tabellone::kTombola] != 0; }
    int drawnCount() const;
    // Flips cartella k between in play and excluded, with the in-play marks of its cells.
    void toggleCartella(int k);
};
