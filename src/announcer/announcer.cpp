// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer/announcer.h"

#include "announcer/smorfia.h"
#include "game/game.h"
#include "platform/clock.h"
#include "platform/voice.h"

using namespace board;

Announcer::Announcer(Voice &voice, const Clock &clock) : voice_(voice), clock_(clock) { }

void Announcer::announceNumber(int number, const SpeechOptions &options)
{
    if (options.smorfia != Smorfia::Off) {
        voice_.speak(smorfiaOf(number));
        return;
    }
    const qint64 now = clock_.nowMs();
    const bool windowOpen = lastAnnouncedMs_ && now - *lastAnnouncedMs_ < kWindowMs;
    lastAnnouncedMs_ = now;
    const QString n = QString::number(number);
    voice_.speak((windowOpen ? QString() : phrases::kNumberOut) + n);
    // The sixties and the seventies are easily confused by ear.
    if (options.scandito == Scandito::On && number >= 60 && number <= 79) {
        voice_.speak(n.left(1));
        voice_.speak(n.right(1) + phrases::kSpelledEnd);
    }
}

void Announcer::repeat(std::optional<int> shown, const SpeechOptions &options)
{
    if (!shown)
        voice_.speak(phrases::kProgramName);
    else
        voice_.speak((options.smorfia == Smorfia::Off ? phrases::kRepeat : QString()) + QString::number(*shown));
}

void Announcer::announcePrizes(const PrizeCheck &found, const QString &owner)
{
    for (const RowPrize &row : found.rows) {
        QString phrase = phrases::kPrizeLead + kPrizeNames[row.prize] + phrases::kPrizeFor + owner;
        // With every prize gone there is none to name next.
        if (row.next >= 0)
            phrase += phrases::kGoesOnFor + kPrizeNames[row.next];
        voice_.speak(phrase);
    }
    for (int k = 0; k < found.fullCartelle; ++k)
        voice_.speak(phrases::kPrizeLead + kPrizeNames[kTombola] + phrases::kPrizeFor + owner);
    if (found.tombolino)
        voice_.speak(phrases::kPrizeLead + phrases::kTombolino + phrases::kPrizeFor + owner);
}

void Announcer::say(const QString &text) { voice_.speak(text); }
