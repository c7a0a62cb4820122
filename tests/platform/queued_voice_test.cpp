#include "platform/doubles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

class QueuedVoiceTest : public ::testing::Test {
protected:
    QueuedVoiceTest()
    {
        QObject::connect(&voice, &QueuedVoice::textDropped, [this](const QString &text, const QString &reason) {
            dropped << text;
            reasons << reason;
        });
    }
    void attach()
    {
        auto owned = std::make_unique<ScriptedEngine>();
        engine = owned.get();
        voice.attachEngine(std::move(owned));
    }
    void passMs(qint64 ms)
    {
        clock.now += ms;
        voice.checkStuck();
    }

    FakeClock clock;
    QueuedVoice voice{&clock};
    ScriptedEngine *engine = nullptr;
    QStringList dropped, reasons;
};

TEST_F(QueuedVoiceTest, SpeaksInCallOrderHandingTheNextOnlyWhenTheEngineIsReady)
{
    for (const char *text : {"uno", "  ", "due"})
        voice.speak(text);
    EXPECT_EQ(voice.waitingCount(), 2);
    attach();
    voice.speak("tre");
    EXPECT_EQ(engine->said, QStringList{"uno"});
    engine->onReady();
    EXPECT_EQ(engine->said, (QStringList{"uno", "due"}));
    for (int report = 0; report < 3; ++report)
        engine->onReady();
    EXPECT_EQ(engine->said, (QStringList{"uno", "due", "tre"}));
    EXPECT_FALSE(voice.isSpeaking());
    EXPECT_TRUE(dropped.isEmpty());
}

TEST_F(QueuedVoiceTest, StuckTextIsDroppedAfterItsBound)
{
    attach();
    const QString first = "Tombola per il tabellone";
    EXPECT_EQ(QueuedVoice::stuckBoundMs(first), 3000 + 150 * 24);
    voice.speak(first);
    voice.speak("90");
    passMs(QueuedVoice::stuckBoundMs(first) - 1);
    EXPECT_EQ(engine->said, QStringList{first});
    passMs(1);
    EXPECT_EQ(engine->said, (QStringList{first, "90"}));
    EXPECT_EQ(dropped, QStringList{first});
    // The next text's bound counts from when it was handed over.
    passMs(QueuedVoice::stuckBoundMs("90") - 1);
    EXPECT_TRUE(voice.isSpeaking());
}

TEST_F(QueuedVoiceTest, EngineErrorDropsOnlyTheCurrentText)
{
    attach();
    for (const char *text : {"uno", "due", "tre"})
        voice.speak(text);
    engine->onError("Playback failure");
    EXPECT_EQ(engine->said, (QStringList{"uno", "due"}));
    EXPECT_EQ(dropped, QStringList{"uno"});
    EXPECT_TRUE(reasons.value(0).contains("Playback failure"));
    engine->onReady();
    engine->onReady();
    engine->onError("late");
    EXPECT_EQ(engine->said, (QStringList{"uno", "due", "tre"}));
    EXPECT_EQ(dropped.size(), 1);

    engine->outcome = [](const QString &) { return ScriptedEngine::Fail; };
    voice.speak("quattro");
    voice.speak("cinque");
    EXPECT_EQ(dropped, (QStringList{"uno", "quattro", "cinque"}));
}

TEST_F(QueuedVoiceTest, WaitingQueueIsBoundedDroppingTheOldest)
{
    attach();
    for (int i = 0; i <= QueuedVoice::maxWaiting + 5; ++i)
        voice.speak(QString::number(i));
    EXPECT_EQ(voice.waitingCount(), QueuedVoice::maxWaiting);
    EXPECT_EQ(dropped, (QStringList{"1", "2", "3", "4", "5"}));
    engine->onReady();
    EXPECT_EQ(engine->said, (QStringList{"0", "6"}));
}

TEST_F(QueuedVoiceTest, EveryTextIsLoggedOnceWhenQueuedAndTroubleWarnsOnce)
{
    attach();
    {
        LogCapture off;
        voice.speak("Cinquina per il tabellone");
        EXPECT_TRUE(off.texts("sorteggina.voice").isEmpty());
    }
    LogCapture log("sorteggina.voice.info=true");
    const QStringList texts{"Terno per Mario & <speak>Luigi</speak>", "67", "67", ""};
    for (const QString &text : texts)
        voice.speak(text);
    EXPECT_EQ(log.texts("sorteggina.voice"), texts);
    for (int round = 0; round < 3; ++round)
        passMs(100'000);
    EXPECT_EQ(engine->said.size(), 4);
    EXPECT_EQ(log.texts("sorteggina.voice").size(), 4);
    ASSERT_EQ(log.texts("sorteggina.speech").size(), 1);
    EXPECT_TRUE(log.texts("sorteggina.speech")[0].contains("Cinquina"));
    engine->onReady();
    voice.speak("quattro");
    passMs(100'000);
    EXPECT_EQ(log.texts("sorteggina.speech").size(), 2);
}

TEST(ItalianLocale, PrefersItalyThenAnyItalianThenNone)
{
    const QLocale us("en_US"), swissItalian("it_CH"), italy("it_IT");
    EXPECT_EQ(italianLocaleAmong({us, swissItalian, italy}), italy);
    EXPECT_EQ(italianLocaleAmong({swissItalian, us}), swissItalian);
    EXPECT_EQ(italianLocaleAmong({us}), std::nullopt);
}

} // namespace
