#include "game/game.h"

#include "platform/random_source.h"

using namespace board;

int Game::prizeInPlay() const
{
    for (int i = 0; i < kPrizes; ++i)
        if (prizes_[i] == 0)
            return i;
    return -1;
}

void Game::mark(int cell)
{
    Cell &c = cells_[cell];
    if (!c.drawn)
        order_.append(numberOf(cell));
    c.drawn = true;
    c.owned = c.inPlay;
}

std::optional<int> Game::draw(RandomSource &random)
{
    if (tombolaOut() || drawnCount() == kCells)
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
    if (tombolaOut() || number < 1 || number > kCells)
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
            if (prizes_[p] == 0 && kPrizeCounts[p] == numbers.size()) {
                prizes_[p] = 1;
                found.rows << RowPrize{p, prizeInPlay(), numbers};
            }
    }
    for (int k = 0; k < kCartelle; ++k) {
        int owned = 0;
        for (int cell : cellsOfCartella(k))
            owned += cells_[cell].owned ? 1 : 0;
        if (owned == kCellsPerCartella) {
            prizes_[kTombola] = 1;
            ++found.fullCartelle;
        }
    }
    return found;
}

bool Game::declarePrize(int i)
{
    const bool wasClear = prizes_[i] == 0;
    prizes_[i] = 1;
    return wasClear;
}

void Game::toggleCartella(int k)
{
    cartellaInPlay_[k] = !cartellaInPlay_[k];
    for (int cell : cellsOfCartella(k))
        cells_[cell].inPlay = cartellaInPlay_[k];
}

void Game::startNew()
{
    for (Cell &c : cells_)
        c.drawn = c.owned = false;
    order_.clear();
    prizes_[kTombola] = 0;
    cartelleLocked_ = false;
}

SavedGame Game::saved() const
{
    return {prizes_, cartellaInPlay_, order_};
}

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
}
