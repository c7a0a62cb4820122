#pragma once

#include "game/game.h"
#include "game/saved_draw.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <initializer_list>

using Prizes = std::array<int, tabellone::kPrizes>;

// A game on fakes. The hooks record what the other layers would be asked to do; the
// Settaggio hook brings prizes 0-3 back as an empty store would.
class GameTest : public ::testing::Test {
protected:
    GameTest()
    {
        game.setHooks({[this] { announced << *state.UltimoNumero; },
                       [this] {
                           ++settaggioCalls;
                           for (int i = 0; i < tabellone::kTombola; ++i)
                               state.prize[i] = 0;
                       },
                       [this] { ++helpHidden; }});
    }

    // Marks numbers as the draw does: drawn, and owned when their cartella is in play.
    void mark(std::initializer_list<int> numbers)
    {
        for (int n : numbers) {
            Cell &cell = state.cells[n - 1];
            cell.drawn = true;
            cell.owner = cell.inPlay;
        }
    }
    void clickManually(std::initializer_list<int> numbers)
    {
        state.manuale = 1;
        for (int n : numbers)
            game.Label1_Click(n - 1);
    }
    QList<int> drawnNumbers() const
    {
        QList<int> out;
        for (int i = 0; i < tabellone::kCells; ++i)
            if (state.cells[i].drawn)
                out << i + 1;
        return out;
    }
    QString saved() const { return store.values.value(QStringLiteral("SalvaUlt")); }

    GameState state;
    FakeVoice voice;
    MemoryStore store;
    FakeRandom random{20240};
    Game game{state, voice, store, random};
    QList<int> announced;
    int settaggioCalls = 0;
    int helpHidden = 0;
};
