#include "game/game_state.h"

int GameState::drawnCount() const
{
    int count = 0;
    for (const Cell &cell : cells)
        count += cell.drawn ? 1 : 0;
    return count;
}

void GameState::toggleCartella(int k)
{
    const bool inPlay = !cartellaInPlay.at(k);
    cartellaInPlay[k] = inPlay;
    for (int cell : tabellone::cellsOfCartella(k))
        cells[cell].inPlay = inPlay;
}
