// SPDX-License-Identifier: GPL-3.0-or-later
#include "announcer/recorded_voice.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

// Plays one clip at a time, until told it has ended; a clip is known by its first sample.
struct FakeClips : ClipOutput {
    bool play(std::shared_ptr<const std::vector<qint16>> clip) override
    {
        if (!ready)
            return false;
        played << QString::number(clip->front()) + (clip->size() > 1 ? QStringLiteral("+") : QString());
        busy = true;
        return true;
    }
    bool playing() const override { return busy; }
    bool ready = true;
    bool busy = false;
    QStringList played;
};

} // namespace

// Each step: a text spoken, "[hold]" or "[go]" around a take recorded, or (empty) the speech
// and the clip before both ending.
TEST(RecordedVoice, KeepsOneOrderForTakesAndSpeechAndNeverTalksOverEither)
{
    const struct {
        const char *name;
        QStringList steps;
        QStringList spoken, played; // after all steps
        bool playerReady = true, on = true;
    } cases[] = {
        {"phrase and number from takes", {"è uscito il numero 12"}, {}, {"0+"}},
        {"a number not recorded is spoken", {"44", "è uscito il numero 44"}, {"44", "è uscito il numero 44"}, {}},
        {"spelled digits from their takes", {"67", "6", "7. ", ""}, {}, {"67", "6"}},
        {"a take waits for the text before it", {"Tombola", "12"}, {"Tombola"}, {}},
        {"and plays once it is said", {"Tombola", "12", ""}, {"Tombola"}, {"12"}},
        {"a text waits for the take before it", {"12", "Tombola"}, {}, {"12"}},
        {"and is said once it is heard", {"12", "Tombola", ""}, {"Tombola"}, {"12"}},
        {"other texts and the repeat spoken", {"Ripeto, 12", "'a paura"}, {"Ripeto, 12", "'a paura"}, {}},
        {"no sound server: spoken instead", {"12"}, {"12"}, {}, false},
        {"held: nothing said", {"[hold]", "Tombola", "12", "Ambo"}, {}, {}},
        {"let go: all in order", {"[hold]", "Tombola", "12", "Ambo", "[go]", "", ""}, {"Tombola", "Ambo"}, {"12"}},
        {"held with the voice off", {"[hold]", "12", "Ambo"}, {}, {}, true, false},
        {"and let go", {"[hold]", "12", "Ambo", "[go]"}, {"12", "Ambo"}, {}, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeVoice speech;
        speech.holdsTexts = true;
        FakeClips clips;
        clips.ready = c.playerReady;
        RecordedVoice voice(speech, clips);
        RecordedVoice::Takes takes;
        for (int take : {0, 6, 7, 12, 67})
            takes[std::size_t(take)] = std::make_shared<const std::vector<qint16>>(1, qint16(take));
        voice.setTakes(takes);
        voice.setOn(c.on);
        for (const QString &step : c.steps) {
            if (step.startsWith(u'[')) {
                voice.setHeld(step == QStringLiteral("[hold]"));
            } else if (step.isEmpty()) {
                speech.speaking = clips.busy = false;
                voice.clipFinished();
            } else {
                voice.speak(step);
            }
        }
        EXPECT_EQ(speech.spoken, c.spoken);
        EXPECT_EQ(clips.played, c.played);
        EXPECT_TRUE(voice.isSpeaking() || c.steps.last().isEmpty());
        EXPECT_EQ(voice.isSaying(), speech.speaking || clips.busy);
    }
}
