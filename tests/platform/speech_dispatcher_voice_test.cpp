// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_voice.h"

#include "support/fakes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <utility>

namespace {

// The program's own messages of one category, while it lives.
struct LogCapture {
    static inline QStringList messages;
    static inline const char *wanted = nullptr;
    explicit LogCapture(const char *category, const QString &rules = {})
    {
        messages.clear();
        wanted = category;
        QLoggingCategory::setFilterRules(rules);
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (qstrcmp(context.category, wanted) == 0)
                messages << text;
        });
    }
    ~LogCapture() { qInstallMessageHandler(previous), QLoggingCategory::setFilterRules({}); }
    QtMessageHandler previous;
};

// Answers SSIP as speech-dispatcher does and makes no sound: a text ends when the test says.
struct FakeSpeechServer {
    struct Client {
        int id = nextId++;
        QByteArray input;
        bool receiving = false;
        QStringList settings; // the voice settings sent on this connection
    };
    struct Spoken {
        QStringList settings; // those of its connection
        QLocalSocket *client;
        int id;
    };

    FakeSpeechServer()
    {
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            QLocalSocket *socket = server.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] { serve(socket); });
        });
        server.listen(path);
    }
    void end(int index)
    {
        const Spoken &s = spoken[index];
        reply(s.client, QStringLiteral("702-%1\r\n702-%2\r\n702 END").arg(s.id).arg(clients[s.client].id));
    }

    void serve(QLocalSocket *socket)
    {
        Client &client = clients[socket];
        client.input += socket->readAll();
        for (int end; (end = client.input.indexOf("\r\n")) >= 0; client.input.remove(0, end + 2)) {
            const QString line = QString::fromUtf8(client.input.left(end));
            if (client.receiving) { // a text, one line, then "."
                if ((client.receiving = line != ".")) {
                    spoken << Spoken{client.settings, socket, nextId++};
                    texts << line;
                } else {
                    reply(socket, QStringLiteral("225-%1\r\n225 OK MESSAGE QUEUED").arg(spoken.last().id));
                }
            } else {
                commands << line;
                if (line.contains(
                        QRegularExpression("^SET SELF (LANGUAGE|OUTPUT_MODULE|SYNTHESIS_VOICE|RATE|PITCH|VOLUME) ")))
                    client.settings << line.section(u' ', 2);
                client.receiving = answering && line == "speak";
                if (answering)
                    reply(socket, line == "HISTORY GET CLIENT_ID"
                                      ? QStringLiteral("245-%1\r\n245 OK CLIENT ID SENT").arg(client.id)
                                      : replies.value(line, "200 OK"));
            }
        }
    }
    static void reply(QLocalSocket *socket, const QString &text) { socket->write((text + "\r\n").toUtf8()); }

    static inline int nextId = 1; // client and message ids, unique in the whole test run
    static inline const QHash<QString, QString> replies{{"speak", "230 OK RECEIVING DATA"},
        {"LIST OUTPUT_MODULES", "250-espeak-ng\r\n250 OK MODULE LIST SENT"},
        {"LIST SYNTHESIS_VOICES", "249-Italian\tit\tnone\r\n249-English\ten\tnone\r\n249-Italian+Anna\tit-IT\tAnna\r\n"
                                  "249 OK VOICE LIST SENT"}};
    QTemporaryDir dir;
    QString path = dir.filePath("speechd.sock");
    QLocalServer server;
    QHash<QLocalSocket *, Client> clients;
    QList<Spoken> spoken;
    QStringList texts, commands;
    bool answering = true;
};

class SpeechDispatcherVoiceTest : public ::testing::Test {
protected:
    // Without QTest::qWaitFor's naps: the fake server answers on this thread.
    static bool waitFor(const std::function<bool()> &done)
    {
        QTimer wakeUp;
        wakeUp.start(20);
        for (QDeadlineTimer deadline(5000); !done() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return done();
    }
    void passMs(qint64 ms)
    {
        clock.now += ms;
        voice->checkTimers();
    }
    // Answered only once every job handed to the worker before it has run.
    QList<ModuleVoices> settle()
    {
        QSignalSpy listed(voice.get(), &SpeechDispatcherVoice::voicesListed);
        voice->requestVoices();
        EXPECT_TRUE(waitFor([&] { return !listed.isEmpty(); }));
        return listed.value(0).value(0).value<QList<ModuleVoices>>();
    }
    bool speakAndEnd(int count)
    {
        for (int i = server.spoken.size(); i < count; ++i) {
            if (!waitFor([&] { return server.spoken.size() > i; }))
                return false;
            settle(); // a voice that did not wait for the end would have sent the next text by now
            server.end(i);
        }
        return true;
    }

    FakeClock clock;
    FakeSpeechServer server;
    std::unique_ptr<SpeechDispatcherVoice> voice =
        std::make_unique<SpeechDispatcherVoice>(nullptr, "unix_socket:" + server.path, &clock);
};

TEST_F(SpeechDispatcherVoiceTest, SpeaksEveryTextInFullInCallOrderAndLogsItAtOnce)
{
    LogCapture log("sorteggina.voice", "sorteggina.voice.info=true");
    for (const char *text : {"uno", " ", "due\x1b[2J", "tre"})
        voice->speak(text);
    EXPECT_EQ(log.messages, (QStringList{"uno", " ", "due\\x1b[2J", "tre"}));
    ASSERT_TRUE(speakAndEnd(3));
    EXPECT_EQ(server.texts, (QStringList{"uno", "due [2J", "tre"}));
    EXPECT_TRUE(server.commands.filter(QRegularExpression("^(STOP|CANCEL)")).isEmpty());
    EXPECT_EQ(settle(), (QList<ModuleVoices>{{"espeak-ng", {"Italian", "Italian+Anna"}}}));
}

TEST_F(SpeechDispatcherVoiceTest, SendsTheLanguageAndOnlyWhatWasChosen)
{
    const QStringList italian{"LANGUAGE it"};
    const struct {
        const char *name;
        VoiceChoice choice;
        QStringList settings;
        bool fails;
    } cases[] = {
        {"nothing chosen", {}, italian, false},
        {"module and voice", {"espeak-ng", "Italian+Anna"},
            italian + QStringList{"OUTPUT_MODULE espeak-ng", "SYNTHESIS_VOICE Italian+Anna"}, false},
        {"rate, pitch, volume", {{}, {}, 30, -20, 100}, italian + QStringList{"RATE 30", "PITCH -20", "VOLUME 100"},
            false},
        {"module not running", {"festival", "kal", 10}, italian + QStringList{"RATE 10"}, true},
        {"voice not listed, a command in it", {{}, "Italian\r\nSET all VOLUME -100"}, italian, true},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        QSignalSpy failed(voice.get(), &SpeechDispatcherVoice::choiceFailed);
        const int first = server.spoken.size();
        voice->setChoice(row.choice);
        voice->speak("uno");
        voice->setChoice({});
        voice->speakSample("prova", row.choice);
        voice->speak("due");
        ASSERT_TRUE(speakAndEnd(first + 3));
        EXPECT_EQ(server.spoken[first].settings, row.settings);
        EXPECT_EQ(server.spoken[first + 1].settings, row.settings);
        EXPECT_EQ(server.spoken[first + 2].settings, italian);
        EXPECT_EQ(failed.size(), row.fails ? 1 : 0);
    }
    EXPECT_TRUE(server.commands.filter("SET all").isEmpty());
}

TEST_F(SpeechDispatcherVoiceTest, ComesBackWithTheServer)
{
    QSignalSpy availability(voice.get(), &SpeechDispatcherVoice::availabilityChanged);
    voice->speak("uno");
    voice->speak("due");
    ASSERT_TRUE(speakAndEnd(1));
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 2; }));
    server.server.close(); // while "due" is being spoken
    qDeleteAll(server.server.findChildren<QLocalSocket *>());
    ASSERT_TRUE(waitFor([&] { return availability.size() == 1; }));
    voice->speak("tre");
    server.server.listen(server.path);
    passMs(SpeechQueue::retryMs);
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 3; }));
    server.end(2);
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 4; }));
    EXPECT_EQ(server.texts, (QStringList{"uno", "due", "due", "tre"})) << "the text cut short, again";
}

TEST_F(SpeechDispatcherVoiceTest, GivesUpOnASilentServerAndLeavesAtOnce)
{
    QSignalSpy availability(voice.get(), &SpeechDispatcherVoice::availabilityChanged);
    voice->speak("uno");
    ASSERT_TRUE(speakAndEnd(1));
    server.answering = false;
    voice->speak("due");
    ASSERT_TRUE(waitFor([&] { return server.commands.last() == "SET SELF PRIORITY MESSAGE"; }));
    passMs(SpeechQueue::replyTimeoutMs);
    EXPECT_EQ(availability.value(0), (QVariantList{false, kVoiceNotAnsweringProblem}));
    // The next connection waits for an answer that never comes, in a call nothing can cut.
    const qsizetype connections = server.commands.filter("CLIENT_NAME").size();
    ASSERT_TRUE(waitFor([&] { return passMs(250), server.commands.filter("CLIENT_NAME").size() > connections; }));
    QElapsedTimer elapsed;
    elapsed.start();
    voice.reset();
    EXPECT_LT(elapsed.elapsed(), 150);
}

using Job = SpeechQueue::Job;

struct SpeechQueueTest : ::testing::Test {
    // The job handed out now and its text: (None, "") when the queue waits.
    std::pair<Job, QString> next()
    {
        const auto step = queue.next({});
        return step ? std::pair(step->job, step->text) : std::pair(Job::None, QString());
    }
    void pass(qint64 ms)
    {
        clock.now += ms;
        queue.tick();
    }
    FakeClock clock;
    SpeechQueue queue{clock};
};

TEST_F(SpeechQueueTest, StopsAStuckTextAtItsBoundAndGoesOn)
{
    const QString stuck = "Tombola per il tabellone";
    EXPECT_EQ(next().first, Job::Connect);
    EXPECT_EQ(next().first, Job::None) << "one job out at a time";
    queue.done(Job::Connect, true);
    EXPECT_FALSE(queue.speaking());
    for (const QString &text : {QString(" "), stuck, QString("90")})
        queue.add(text, {});
    EXPECT_TRUE(queue.speaking()) << "from the speak, before the server has the text";
    EXPECT_EQ(next(), std::pair(Job::Say, stuck));
    queue.done(Job::Say, true, 8);
    pass(SpeechQueue::beginTimeoutMs - 1);
    queue.begun(8);
    pass(SpeechQueue::stuckBoundMs(stuck) - 1);
    EXPECT_EQ(next().first, Job::None) << "the time runs from the start, after a wait behind a screen reader";
    pass(1);
    EXPECT_EQ(next().first, Job::Stop);
    queue.done(Job::Stop, true);
    EXPECT_EQ(next(), std::pair(Job::Say, QString("90")));
    queue.done(Job::Say, true, 9);
    queue.ended(8);
    EXPECT_EQ(next().first, Job::None) << "the stopped text's end does not end the next";
    EXPECT_TRUE(queue.speaking());
    pass(SpeechQueue::beginTimeoutMs);
    EXPECT_EQ(next().first, Job::Stop) << "a text never begun";
    // Ten numbers take espeak-ng 12.5 s at rate 0, 26 s at -100.
    const QString ten = "Sono usciti 60 numeri: 77, 88, 73, 87, 68, 79, 97, 78, 67, 83";
    EXPECT_GT(SpeechQueue::stuckBoundMs(ten), 12500 * 3 / 2);
    EXPECT_GT(SpeechQueue::stuckBoundMs(ten, -100), 26000 * 3 / 2);
}

TEST_F(SpeechQueueTest, WithoutAServerRetriesDropsStaleTextsAndSaysALostTextAgainOnce)
{
    LogCapture log("sorteggina.speech");
    queue.add("uno", {});
    EXPECT_EQ(next().first, Job::Connect);
    queue.done(Job::Connect, false, -1, "no server");
    EXPECT_EQ(std::pair(queue.available(), queue.problem()), std::pair(false, kVoiceNotRunningProblem));
    EXPECT_FALSE(queue.speaking()) << "no voice holds up automatic calling";
    for (qint64 waited = 0; waited < SpeechQueue::maxWaitMs; waited += SpeechQueue::retryMs) {
        pass(SpeechQueue::retryMs);
        EXPECT_EQ(next().first, Job::Connect);
        queue.done(Job::Connect, false);
    }
    queue.add("due", {});
    EXPECT_EQ(next().first, Job::None);
    pass(SpeechQueue::retryMs);
    EXPECT_EQ(next().first, Job::Connect);
    queue.done(Job::Connect, true);
    EXPECT_TRUE(queue.available());
    EXPECT_EQ(next(), std::pair(Job::Say, QString("due"))) << "\"uno\" waited too long";
    EXPECT_EQ(log.messages.size(), 2); // one for the server, one for the drops

    queue.done(Job::Say, true, 3);
    queue.connectionLost();
    EXPECT_EQ(next().first, Job::Connect);
    queue.done(Job::Connect, true);
    EXPECT_EQ(next(), std::pair(Job::Say, QString("due")));
    queue.done(Job::Say, false);
    EXPECT_EQ(next().first, Job::Connect);
    queue.done(Job::Connect, true);
    EXPECT_EQ(next().first, Job::None) << "said again only once";
}

} // namespace
