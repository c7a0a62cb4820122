#pragma once

#include "fakes.h"
#include "platform/queued_voice.h"

#include <QLatin1String>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

// A speech engine with the faults a test chooses: each text is finished at once, finished
// when the test says (finishLate), failed, or never finished. Like the system's engine, a
// new text supersedes one not yet finished, so a report always concerns the latest text.
class FaultyEngine : public SpeechEngine {
public:
    enum Outcome { Finish, Late, Fail, Hang };

    void say(const QString &text) override
    {
        said << text;
        if (handedOver)
            *handedOver << text;
        late_ = false;
        switch (outcome ? outcome(text) : Finish) {
        case Finish: onReady(); break;
        case Fail: onError(QStringLiteral("synthesis failed")); break;
        case Late: late_ = true; break;
        case Hang: break;
        }
    }
    void finishLate()
    {
        if (std::exchange(late_, false))
            onReady();
    }

    std::function<Outcome(const QString &)> outcome;
    QStringList said;
    QStringList *handedOver = nullptr;

private:
    bool late_ = false;
};

// The window's voice in these tests: records every text handed to it, in call order, and
// queues it in a QueuedVoice on a FaultyEngine. `leftQueue` lists the texts in the order
// they left the queue, to the engine or dropped unspoken because too many were waiting.
class RecordingVoice : public Voice {
public:
    explicit RecordingVoice(const Clock &clock) : queue(&clock)
    {
        auto owned = std::make_unique<FaultyEngine>();
        engine = owned.get();
        engine->handedOver = &leftQueue;
        queue.attachEngine(std::move(owned));
        QObject::connect(&queue, &QueuedVoice::textDropped, [this](const QString &text, const QString &why) {
            ++dropped;
            if (why.contains(QStringLiteral("waiting")))
                leftQueue << text;
        });
    }
    void speak(const QString &text) override
    {
        said << text;
        if (!text.trimmed().isEmpty())
            queued << text;
        queue.speak(text);
    }
    // Lets time pass until every text has been spoken or given up.
    void drain(FakeClock &clock)
    {
        for (int round = 0; round < 100000 && (queue.isSpeaking() || queue.waitingCount() > 0); ++round) {
            engine->finishLate();
            clock.now += 10'000'000;
            queue.checkStuck();
        }
    }

    QueuedVoice queue;
    FaultyEngine *engine;
    QStringList said;       // every text, blank ones too
    QStringList queued;     // the texts that joined the queue
    QStringList leftQueue;  // in the order they left it
    int dropped = 0;
};

// Counts the warnings of one logging category ("sorteggina.speech", ...) while it lives.
struct WarningCount {
    static inline const char *category = nullptr;
    static inline int count = 0;
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &)
    {
        if (type == QtWarningMsg && QLatin1String(context.category) == QLatin1String(category))
            ++count;
    }
    explicit WarningCount(const char *of)
    {
        category = of;
        count = 0;
        previous = qInstallMessageHandler(handler);
    }
    ~WarningCount() { qInstallMessageHandler(previous); }
    QtMessageHandler previous;
};
