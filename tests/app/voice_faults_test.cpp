#include "faulty_platform.h"

#include "app/form1.h"
#include "app/widgets.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace tabellone;

namespace {

// A whole game of 90 draws on an engine that goes wrong: every draw still happens and is
// announced at once, the queue stays bounded and in call order, and once time passes every
// text has been spoken or given up.
TEST(VoiceFaults, AWholeGameGoesOnWhateverTheEngineDoes)
{
    using O = FaultyEngine::Outcome;
    const struct {
        const char *name;
        std::function<O(int)> outcome;  // by the index of the text handed over
        qint64 msBetweenDraws;
        bool lateReports;               // the engine finishes late texts between draws
        bool everyTextDropped;
        bool lastingTrouble;            // once it goes wrong it never speaks again
    } cases[] = {
        {"fails every text", [](int) { return O::Fail; }, 1500, false, true, true},
        {"fails from mid-game on", [](int n) { return n < 40 ? O::Finish : O::Fail; }, 1500, false, false, true},
        {"stuck in Speaking from mid-game on", [](int n) { return n < 40 ? O::Finish : O::Hang; }, 1500, false, false, true},
        {"stuck from the start, quick draws", [](int) { return O::Hang; }, 200, false, true, true},
        {"very slow", [](int) { return O::Late; }, 4000, true, false, false},
        {"slow and now and then failing", [](int n) { return n % 3 == 2 ? O::Fail : O::Late; }, 1500, true, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WarningCount warnings("sorteggina.speech");
        FakeClock clock;
        RecordingVoice voice(clock);
        voice.engine->outcome = [&, n = 0](const QString &) mutable { return c.outcome(n++); };
        MemoryStore store;
        FakeKeyState keys;
        FakeUrlOpener urls;
        FakeRandom random(90);
        Form1 form(Platform{voice, store, keys, urls, random, clock});
        int maxWaiting = 0;
        QList<int> drawn;

        for (int press = 0; press < 200 && form.state().drawnCount() < kCells; ++press) {
            // A complete owner cartella stops the drawing until the caller clears the tombola.
            if (form.state().tombolaOut())
                QTest::mouseClick(form.Check1[kTombola], Qt::LeftButton);
            const int before = form.state().drawnCount();
            const qsizetype spoken = voice.said.size();
            form.Command2_Click();
            ASSERT_EQ(form.state().drawnCount(), before + 1);
            drawn << *form.state().UltimoNumero;
            // Announced within the click, before the engine has said anything of it.
            const QString n = QString::number(drawn.last());
            EXPECT_TRUE(voice.said.value(spoken) == n || voice.said.value(spoken) == phrases::kNumberOut + n);
            maxWaiting = std::max(maxWaiting, voice.queue.waitingCount());

            clock.now += c.msBetweenDraws;
            voice.queue.checkStuck();
            if (c.lateReports)
                voice.engine->finishLate();
        }
        EXPECT_EQ(drawn.size(), kCells);
        EXPECT_EQ(QSet<int>(drawn.begin(), drawn.end()).size(), kCells);
        EXPECT_LE(maxWaiting, QueuedVoice::maxWaiting);

        voice.drain(clock);
        EXPECT_FALSE(voice.queue.isSpeaking());
        EXPECT_EQ(voice.queue.waitingCount(), 0);
        EXPECT_EQ(voice.leftQueue, voice.queued);
        if (c.everyTextDropped) {
            EXPECT_EQ(voice.dropped, voice.queued.size());
        } else {
            EXPECT_LT(voice.dropped, voice.queued.size());
        }
        EXPECT_GT(voice.dropped, 0);
        // A lasting trouble warns once, not once per text.
        if (c.lastingTrouble) {
            EXPECT_EQ(warnings.count, 1);
        }
    }
}

} // namespace
