#include "announcer/prize_ladder.h"

#include "platform/settings_store.h"
#include "platform/voice.h"

PrizeLadder::PrizeLadder(GameState &state, SettingsStore &store, Voice &voice)
    : state_(state), store_(store), voice_(voice)
{
}

void PrizeLadder::Check1_MouseUp(int i)
{
    if (i < 0 || i >= tabellone::kPrizes)
        return;
    const QString &caption = tabellone::kPrizeCaptions[i];
    if (i != tabellone::kTombola) {
        const bool leftOut = state_.prize[i] == 1;
        state_.prizeRed[i] = leftOut;
        voice_.speak(caption + (leftOut ? phrases::kNotPresent : phrases::kPresent));
    }
    store_.write(caption, QString::number(state_.prize[i]));
}

void PrizeLadder::Command4_Click(int i)
{
    if (i < 0 || i >= tabellone::kPrizes)
        return;
    if (state_.prize[i] == 0)
        voice_.speak(phrases::kPrizeDeclared[i]);
    state_.prize[i] = 1;
}
