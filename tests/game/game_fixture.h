#pragma once

#include "game/game.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

using Prizes = std::array<int, tabellone::kPrizes>;

// Marks a cell as the draw does: drawn, and owned when its cartella is in play.
inline void markDrawn(Cell &c) { c = {true, c.inPlay, c.inPlay}; }

// What a reload brings back, as one text: prizes, cartella flags, then each cell's marks.
inline std::string board(const GameState &s)
{
    std::string out;
    for (int p : s.prize)
        out += char('0' + p);
    for (bool inPlay : s.cartellaInPlay)
        out += char('0' + inPlay);
    for (const Cell &c : s.cells)
        out += char('0' + c.drawn + 2 * c.owner + 4 * c.inPlay);
    return out;
}

// A game on fakes; the hooks record what the other layers would be asked to do.
class GameTest : public ::testing::Test {
protected:
    GameTest()
    {
        game.setHooks(
            {[this] { announced << *state.UltimoNumero; }, [this] { ++settaggioCalls; }, [this] { ++helpHidden; }});
    }
    void mark(std::initializer_list<int> numbers)
    {
        for (int n : numbers)
            markDrawn(state.cells[n - 1]);
    }
    void clickManually(std::initializer_list<int> numbers)
    {
        state.manuale = 1;
        for (int n : numbers)
            game.Label1_Click(n - 1);
    }
    QString saved() const { return store.values.value("SalvaUlt"); }

    GameState state;
    FakeVoice voice;
    MemoryStore store;
    FakeRandom random{20240};
    Game game{state, voice, store, random};
    QList<int> announced;
    int settaggioCalls = 0, helpHidden = 0;
};
