// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"
#include "game/saved_game.h"

#include <QList>
#include <QStringList>
#include <array>
#include <optional>

class RandomSource;

// One cell's marks.
struct Cell {
    bool drawn = false; // the number is out
    bool owned = false; // drawn while its cartella was in play: it counts for the owner's prizes
    bool inPlay = true; // its cartella is not left out of the owner's game
};

// A row of five of the owner's that made a prize in one check.
struct RowPrize {
    int prize; // index on the ladder
    int next; // the lowest prize still to be won after it, -1 when none is left
    QList<int> numbers; // the row's drawn numbers, in increasing order
};

// What one check of the owner's cartelle found.
struct PrizeCheck {
    QList<RowPrize> rows; // in board order
    int fullCartelle = 0; // complete cartelle: one tombola call each
    bool tombolino = false; // a further cartella complete after the tombola
};

// The rules of one game on the tabellone, with no voice, store or widget in it. With the
// tombolino played, the drawing goes on after the tombola until one more of the owner's
// cartelle is complete (or the tombolino is declared).
class Game {
public:
    enum class BagResult { Refused, Marked, Withdrawn };

    const Cell &cell(int index) const { return cells_[index]; }
    int drawnCount() const { return int(order_.size()); }
    // The numbers out, in the order they came.
    const QList<int> &drawOrder() const { return order_; }
    // The last numbers out, newest first, as text: what the screens show of the order.
    QStringList latest(int count) const;
    bool cartellaInPlay(int cartella) const { return cartellaInPlay_[cartella]; }
    // The cartelle can be left out only until the first check of a game.
    bool cartelleLocked() const { return cartelleLocked_; }
    PrizeBox prizeBox(int prize) const { return prizes_[prize]; }
    void setPrizeBox(int prize, PrizeBox value);
    bool tombolaOut() const { return prizes_[board::kTombola] != PrizeBox::Clear; }
    void setTombolinoPlayed(bool played) { tombolinoPlayed_ = played; }
    bool tombolinoPlayed() const { return tombolinoPlayed_; }
    bool tombolinoOut() const { return tombolinoOut_; }
    // No number can be drawn or marked: the tombola is out, and the tombolino too if played.
    bool over() const { return tombolaOut() && (!tombolinoPlayed_ || tombolinoOut_); }
    // The lowest prize still to be won, -1 when none is left.
    int prizeInPlay() const;

    // Draws, uniformly, a number not yet out; none while the tombola is out or the board is full.
    std::optional<int> draw(RandomSource &random);
    // A number taken from a real bag: marks it, or takes back one the owner holds. An
    // excluded cartella's number is never held, so each take marks it again.
    BagResult takeFromBag(int number);
    // Locks the cartelle, ticks every prize the owner's cartelle make and says which.
    PrizeCheck checkPrizes();
    // A prize won elsewhere in the room; true when it was still to be won. The tombola
    // declared once it is out is the tombolino, when it is played.
    bool declarePrize(int prize);
    void toggleCartella(int cartella);
    // Clears the board, the tombola and the lock; the cartelle left out stay left out.
    void startNew();

    SavedGame saved() const;
    // Sets the board, its prize boxes and its cartelle to the saved game.
    void restore(const SavedGame &saved);

    // Takes the last number out back into the bag with every prize won since it came, as
    // if it had never come: the number, or nothing when there is none to take back (none
    // drawn, already taken back, or the game reloaded since it came).
    std::optional<int> withdrawLastNumber();

private:
    void mark(int cell);
    int fullCartelle() const;

    std::array<Cell, board::kCells> cells_{};
    std::array<bool, board::kCartelle> cartellaInPlay_{true, true, true, true, true, true};
    std::array<PrizeBox, board::kPrizes> prizes_{};
    bool cartelleLocked_ = false;
    QList<int> order_;
    bool tombolinoPlayed_ = false;
    bool tombolinoOut_ = false;
    int fullAtTombola_ = 0; // the owner's complete cartelle when the tombola came out

    // The prize state just before the last number came, kept so that it can be taken back.
    struct BeforeLastNumber {
        int number;
        std::array<PrizeBox, board::kPrizes> prizes;
        bool cartelleLocked;
        bool tombolinoOut;
        int fullAtTombola;
    };
    std::optional<BeforeLastNumber> beforeLast_;
};
