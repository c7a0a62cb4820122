#include "form1_fixture.h"

using namespace tabellone;

// A whole game on an engine that goes wrong: every draw still happens and is announced at
// once, the queue stays bounded and in call order, and once time passes it drains.
TEST(VoiceFaults, AWholeGameGoesOnWhateverTheEngineDoes)
{
    using O = ScriptedEngine::Outcome;
    const struct {
        const char *name;
        std::function<O(int)> outcome; // by the index of the text handed over
        qint64 msBetweenDraws;
        bool everyTextDropped;
        bool lastingTrouble; // once it goes wrong it never speaks again: one warning
    } cases[] = {
        {"fails every text", [](int) { return O::Fail; }, 1500, true, true},
        {"fails from mid-game on", [](int n) { return n < 40 ? O::Finish : O::Fail; }, 1500, false, true},
        {"stuck from mid-game on", [](int n) { return n < 40 ? O::Finish : O::Hang; }, 1500, false, true},
        {"stuck from the start, quick draws", [](int) { return O::Hang; }, 200, true, true},
        {"very slow", [](int) { return O::Late; }, 4000, false, false},
        {"slow and now and then failing", [](int n) { return n % 3 == 2 ? O::Fail : O::Late; }, 1500, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        Window w;
        w.voice.engine->outcome = [&, n = 0](const QString &) mutable { return c.outcome(n++); };
        QSet<int> drawn;
        w.drawTheWholeBoard([&] {
            const int number = *w.form->state().UltimoNumero;
            drawn << number;
            EXPECT_TRUE(w.voice.said.contains(QString::number(number))
                        || w.voice.said.contains(phrases::kNumberOut + QString::number(number)));
            w.voice.said.clear();
            EXPECT_LE(w.voice.queue.waitingCount(), QueuedVoice::maxWaiting);
            w.clock.now += c.msBetweenDraws;
            w.voice.queue.checkStuck();
            w.voice.engine->finishLate();
        });
        EXPECT_EQ(drawn.size(), kCells);
        w.voice.drain(w.clock);
        EXPECT_FALSE(w.voice.queue.isSpeaking());
        EXPECT_EQ(w.voice.queue.waitingCount(), 0);
        EXPECT_EQ(w.voice.leftQueue, w.voice.queued);
        EXPECT_GT(w.voice.dropped, 0);
        EXPECT_EQ(w.voice.dropped == w.voice.queued.size(), c.everyTextDropped);
        EXPECT_TRUE(!c.lastingTrouble || log.texts("sorteggina.speech").size() == 1);
    }
}
