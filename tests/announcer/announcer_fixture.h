#pragma once

#include "announcer/announcer.h"
#include "announcer/prize_ladder.h"
#include "announcer/settings.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using Prizes = std::array<int, tabellone::kPrizes>;

class AnnouncerTest : public ::testing::Test {
protected:
    // Announces `number` drawn `afterMs` after the previous step; returns what was said.
    QStringList announce(int number, qint64 afterMs = 0)
    {
        clock.now += afterMs;
        state.UltimoNumero = number;
        announcer.Confusi();
        return voice.takeSpoken();
    }

    GameState state;
    FakeVoice voice;
    MemoryStore store;
    FakeClock clock;
    Announcer announcer{state, voice, clock};
    Settings settings{state, store, voice};
    PrizeLadder ladder{state, store, voice};
};
