// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/game.h"

#include "platform/random_source.h"

#include <utility>

using namespace board;

int Game::prizeInPlay() const
{
    for (int prize = 0; prize < kPrizes; ++prize)
        if (prizes_[prize] == PrizeBox::Clear)
            return prize;
    return -1;
}

void Game::mark(int cell)
{
    Cell &c = cells_[cell];
    if (!c.drawn) {
        beforeLast_ = BeforeLastNumber{numberOf(cell), prizes_, cartelleLocked_, tombolinoOut_, fullAtTombola_};
        order_.append(numberOf(cell));
    }
    c.drawn = true;
    c.owned = c.inPlay;
}

QStringList Game::latest(int count) const
{
    QStringList numbers;
    for (qsizetype i = order_.size() - 1; i >= 0 && i >= order_.size() - count; --i)
        numbers << QString::number(order_[i]);
    return numbers;
}

void Game::setPrizeBox(int prize, PrizeBox value)
{
    prizes_[prize] = value;
    if (!tombolaOut())
        tombolinoOut_ = false;
}

int Game::fullCartelle() const
{
    int full = 0;
    for (int k = 0; k < kCartelle; ++k) {
        int owned = 0;
        for (int cell : cellsOfCartella(k))
            owned += cells_[cell].owned ? 1 : 0;
        full += owned == kCellsPerCartella ? 1 : 0;
    }
    return full;
}

std::optional<int> Game::draw(RandomSource &random)
{
    if (over() || drawnCount() == kCells)
        return std::nullopt;
    int pick = random.bounded(kCells - drawnCount());
    for (int cell = 0; cell < kCells; ++cell)
        if (!cells_[cell].drawn && pick-- == 0) {
            mark(cell);
            return numberOf(cell);
        }
    return std::nullopt;
}

Game::BagResult Game::takeFromBag(int number)
{
    if (over() || number < 1 || number > kCells)
        return BagResult::Refused;
    const int cell = cellOf(number);
    if (!cells_[cell].owned) {
        mark(cell);
        return BagResult::Marked;
    }
    cells_[cell].drawn = cells_[cell].owned = false;
    order_.removeOne(number);
    return BagResult::Withdrawn;
}

PrizeCheck Game::checkPrizes()
{
    cartelleLocked_ = true;
    PrizeCheck found;
    for (int first = 0; first < kCells; first += 5) {
        QList<int> numbers;
        for (int cell = first; cell < first + 5; ++cell)
            if (cells_[cell].owned)
                numbers << numberOf(cell);
        for (int p = 0; p < kPrizes; ++p)
            if (prizes_[p] == PrizeBox::Clear && kPrizeCounts[p] == numbers.size()) {
                prizes_[p] = PrizeBox::Ticked;
                found.rows << RowPrize{p, prizeInPlay(), numbers};
            }
    }
    const int full = fullCartelle();
    if (tombolinoPlayed_ && tombolaOut()) {
        // Each call once: the drawing goes on past the tombola.
        if (!tombolinoOut_ && full > fullAtTombola_)
            tombolinoOut_ = found.tombolino = true;
    } else if (full > 0) {
        // Called again at every check while a cartella is complete.
        if (!tombolaOut())
            fullAtTombola_ = full;
        prizes_[kTombola] = PrizeBox::Ticked;
        found.fullCartelle = full;
    }
    return found;
}

bool Game::declarePrize(int prize)
{
    if (prize == kTombola && tombolinoPlayed_ && tombolaOut())
        return !std::exchange(tombolinoOut_, true);
    const bool wasClear = prizes_[prize] == PrizeBox::Clear;
    if (prize == kTombola && wasClear)
        fullAtTombola_ = fullCartelle();
    prizes_[prize] = PrizeBox::Ticked;
    return wasClear;
}

void Game::toggleCartella(int cartella)
{
    cartellaInPlay_[cartella] = !cartellaInPlay_[cartella];
    for (int cell : cellsOfCartella(cartella))
        cells_[cell].inPlay = cartellaInPlay_[cartella];
}

void Game::startNew()
{
    for (Cell &c : cells_)
        c.drawn = c.owned = false;
    order_.clear();
    prizes_[kTombola] = PrizeBox::Clear;
    cartelleLocked_ = false;
    tombolinoOut_ = false;
    fullAtTombola_ = 0;
}

SavedGame Game::saved() const { return {prizes_, cartellaInPlay_, order_, tombolinoOut_, fullAtTombola_}; }

void Game::restore(const SavedGame &saved)
{
    prizes_ = saved.prizes;
    for (int k = 0; k < kCartelle; ++k)
        if (cartellaInPlay_[k] != saved.cartellaInPlay[k])
            toggleCartella(k);
    for (Cell &c : cells_)
        c.drawn = c.owned = false;
    order_.clear();
    for (int number : saved.order)
        mark(cellOf(number));
    tombolinoOut_ = saved.tombolinoOut && tombolaOut();
    fullAtTombola_ = saved.fullAtTombola;
    beforeLast_.reset();
}

std::optional<int> Game::withdrawLastNumber()
{
    if (!beforeLast_ || order_.isEmpty() || order_.last() != beforeLast_->number)
        return std::nullopt;
    const BeforeLastNumber before = *std::exchange(beforeLast_, std::nullopt);
    Cell &c = cells_[cellOf(before.number)];
    c.drawn = c.owned = false;
    order_.removeLast();
    // Only what was won since: a box switched by hand meanwhile stays as it is.
    for (int prize = 0; prize < kPrizes; ++prize)
        if (before.prizes[prize] == PrizeBox::Clear && prizes_[prize] == PrizeBox::Ticked)
            prizes_[prize] = PrizeBox::Clear;
    cartelleLocked_ = before.cartelleLocked;
    tombolinoOut_ = before.tombolinoOut;
    fullAtTombola_ = before.fullAtTombola;
    return before.number;
}
