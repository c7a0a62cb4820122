#include "platform/queued_voice.h"
#include "support/fakes.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <gtest/gtest.h>

// Readable failures: texts print as texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Records what it is told to say; the test decides when each text is finished.
class FakeEngine : public SpeechEngine {
public:
    void say(const QString &text) override
    {
        said << text;
        if (finishWithinSay)
            onReady();
        else if (failWithinSay)
            onError(QStringLiteral("synthesis failed"));
    }
    void finish() { onReady(); }
    void fail(const QString &message) { onError(message); }
    QStringList said;
    bool finishWithinSay = false;
    bool failWithinSay = false;
};

class QueuedVoiceTest : public ::testing::Test {
protected:
    FakeEngine *attach()
    {
        auto engine = std::make_unique<FakeEngine>();
        FakeEngine *raw = engine.get();
        voice.attachEngine(std::move(engine));
        return raw;
    }
    QStringList droppedTexts() const
    {
        QStringList texts;
        for (const QList<QVariant> &args : dropped)
            texts << args.at(0).toString();
        return texts;
    }
    FakeClock clock;
    QueuedVoice voice{&clock};
    QSignalSpy dropped{&voice, &QueuedVoice::textDropped};
};

TEST_F(QueuedVoiceTest, SpeaksInCallOrderHandingTheNextOnlyWhenTheEngineIsReady)
{
    FakeEngine *engine = attach();
    voice.speak("Ambo per il tabellone");
    voice.speak("67");
    voice.speak("Ora si gioca per il terno");
    EXPECT_EQ(engine->said, QStringList{"Ambo per il tabellone"});
    EXPECT_EQ(voice.waitingCount(), 2);

    engine->finish();
    EXPECT_EQ(engine->said, (QStringList{"Ambo per il tabellone", "67"}));
    voice.speak("5"); // queued while another is spoken: waits, cuts nothing
    EXPECT_EQ(engine->said.size(), 2);
    engine->finish();
    engine->finish();
    engine->finish();
    engine->finish(); // a surplus report hands nothing
    EXPECT_EQ(engine->said,
              (QStringList{"Ambo per il tabellone", "67", "Ora si gioca per il terno", "5"}));
    EXPECT_FALSE(voice.isSpeaking());
    EXPECT_EQ(dropped.count(), 0);
}

TEST_F(QueuedVoiceTest, TextsQueuedBeforeTheEngineExistsAreSpokenAfterItIsAttached)
{
    voice.speak("Sorteggina di Orvanet");
    voice.speak("Estrazione automatica");
    EXPECT_FALSE(voice.hasEngine());
    EXPECT_EQ(voice.waitingCount(), 2);

    FakeEngine *engine = attach();
    EXPECT_EQ(engine->said, QStringList{"Sorteggina di Orvanet"});
    engine->finish();
    EXPECT_EQ(engine->said, (QStringList{"Sorteggina di Orvanet", "Estrazione automatica"}));
}

TEST_F(QueuedVoiceTest, EngineThatReportsWithinSayStillGetsEveryTextInOrder)
{
    auto engine = std::make_unique<FakeEngine>();
    engine->finishWithinSay = true;
    FakeEngine *raw = engine.get();
    voice.speak("uno");
    voice.speak("due");
    voice.attachEngine(std::move(engine));
    voice.speak("tre");
    EXPECT_EQ(raw->said, (QStringList{"uno", "due", "tre"}));
    EXPECT_FALSE(voice.isSpeaking());
}

TEST_F(QueuedVoiceTest, StuckUtteranceIsDroppedAfterItsBoundAndTheQueueMovesOn)
{
    const QString first = "Tombola per il tabellone"; // 24 characters
    EXPECT_EQ(QueuedVoice::stuckBoundMs(first), 3000 + 150 * 24);
    FakeEngine *engine = attach();
    voice.speak(first);
    voice.speak("90");

    clock.now += QueuedVoice::stuckBoundMs(first) - 1;
    voice.checkStuck();
    EXPECT_EQ(engine->said, QStringList{first});
    EXPECT_EQ(dropped.count(), 0);

    clock.now += 1;
    voice.checkStuck();
    EXPECT_EQ(engine->said, (QStringList{first, "90"}));
    EXPECT_EQ(droppedTexts(), QStringList{first});

    // The next text has a bound of its own, counted from when it was handed over.
    clock.now += QueuedVoice::stuckBoundMs("90") - 1;
    voice.checkStuck();
    EXPECT_TRUE(voice.isSpeaking());
    engine->finish();
    EXPECT_FALSE(voice.isSpeaking());
}

TEST_F(QueuedVoiceTest, EngineErrorDropsTheCurrentTextAndTheRestIsSpoken)
{
    FakeEngine *engine = attach();
    voice.speak("uno");
    voice.speak("due");
    voice.speak("tre");
    engine->fail("Playback failure");
    EXPECT_EQ(engine->said, (QStringList{"uno", "due"}));
    EXPECT_EQ(droppedTexts(), QStringList{"uno"});
    EXPECT_TRUE(dropped.at(0).at(1).toString().contains("Playback failure"));
    engine->finish();
    EXPECT_EQ(engine->said, (QStringList{"uno", "due", "tre"}));
    engine->finish();

    engine->fail("late"); // nothing being spoken: nothing to drop
    EXPECT_EQ(dropped.count(), 1);

    engine->failWithinSay = true;
    voice.speak("quattro");
    voice.speak("cinque");
    EXPECT_EQ(engine->said, (QStringList{"uno", "due", "tre", "quattro", "cinque"}));
    EXPECT_EQ(droppedTexts(), (QStringList{"uno", "quattro", "cinque"}));
}

TEST_F(QueuedVoiceTest, WaitingQueueIsBoundedDroppingTheOldestNotYetSpoken)
{
    FakeEngine *engine = attach();
    for (int i = 0; i <= QueuedVoice::maxWaiting + 5; ++i)
        voice.speak(QString::number(i)); // "0" goes to the engine, the rest wait
    EXPECT_EQ(voice.waitingCount(), QueuedVoice::maxWaiting);
    EXPECT_EQ(droppedTexts(), (QStringList{"1", "2", "3", "4", "5"}));
    engine->finish();
    EXPECT_EQ(engine->said, (QStringList{"0", "6"}));
}

TEST_F(QueuedVoiceTest, BlankTextsAreNotHandedToTheEngine)
{
    FakeEngine *engine = attach();
    voice.speak("");
    voice.speak("   ");
    voice.speak("Manuale");
    EXPECT_EQ(engine->said, QStringList{"Manuale"});
}

// Captures the messages of the voice's logging categories.
struct LogCapture {
    static inline QList<QPair<QString, QString>> messages; // category, text
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &text)
    {
        const QString category = QString::fromLatin1(context.category);
        if (category.startsWith("sorteggina."))
            messages.append({category, text});
    }
    explicit LogCapture(const QString &rules)
    {
        messages.clear();
        QLoggingCategory::setFilterRules(rules);
        previous = qInstallMessageHandler(handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }
    QStringList textsOf(const QString &category) const
    {
        QStringList out;
        for (const auto &[cat, text] : messages)
            if (cat == category)
                out << text;
        return out;
    }
    QtMessageHandler previous;
};

TEST_F(QueuedVoiceTest, EveryTextIsLoggedExactlyOnceWhenItIsQueued)
{
    LogCapture log("sorteggina.voice.info=true");
    voice.speak("Terno per Mario & <speak>Luigi</speak>");
    voice.speak("67");
    voice.speak("67");
    voice.speak("");
    // Logged at the call, before any engine exists or says anything.
    EXPECT_EQ(log.textsOf("sorteggina.voice"),
              (QStringList{"Terno per Mario & <speak>Luigi</speak>", "67", "67", ""}));

    // The queue's own complaints go elsewhere, never among the texts.
    FakeEngine *engine = attach();
    clock.now += 100'000;
    voice.checkStuck();
    EXPECT_EQ(engine->said.size(), 2);
    EXPECT_EQ(log.textsOf("sorteggina.voice").size(), 4);
    EXPECT_EQ(log.textsOf("sorteggina.speech").size(), 1);
}

TEST_F(QueuedVoiceTest, TextsAreNotLoggedUnlessTheCategoryIsTurnedOn)
{
    LogCapture log{QString()};
    voice.speak("Cinquina per il tabellone");
    EXPECT_TRUE(log.textsOf("sorteggina.voice").isEmpty());
}

TEST_F(QueuedVoiceTest, RepeatedTroubleWarnsOnceUntilATextIsSpokenAgain)
{
    LogCapture log{QString()}; // warnings only, the default
    FakeEngine *engine = attach();
    for (const char *text : {"uno", "due", "tre"})
        voice.speak(text);
    clock.now += 100'000;
    voice.checkStuck();
    clock.now += 100'000;
    voice.checkStuck();
    EXPECT_EQ(log.textsOf("sorteggina.speech").size(), 1);
    EXPECT_TRUE(log.messages.at(0).second.contains("uno"));
    engine->finish(); // "tre" is spoken in full: the next trouble warns again
    voice.speak("quattro");
    clock.now += 100'000;
    voice.checkStuck();
    EXPECT_EQ(log.textsOf("sorteggina.speech").size(), 2);
}

TEST(ItalianLocale, PrefersItalyThenAnyItalianThenNone)
{
    const QLocale us("en_US"), swissItalian("it_CH"), italy("it_IT"), german("de_DE");
    EXPECT_EQ(italianLocaleAmong({us, swissItalian, italy, german}), italy);
    EXPECT_EQ(italianLocaleAmong({swissItalian, us}), swissItalian);
    EXPECT_EQ(italianLocaleAmong({us, german}), std::nullopt);
    EXPECT_EQ(italianLocaleAmong({}), std::nullopt);
}

} // namespace
