// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_voice.h"

#include "platform/doubles.h"
#include "support/fakes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Answers SSIP as speech-dispatcher does and makes no sound: a text ends when the test says.
struct FakeSpeechServer {
    struct Client {
        int id = nextId++;
        QByteArray input;
        bool receiving = false;
        QStringList settings; // the voice settings sent on this connection
    };
    struct Spoken {
        QString text;
        QStringList settings;
        QLocalSocket *client;
        int id;
    };

    FakeSpeechServer()
    {
        QObject::connect(&server, &QLocalServer::newConnection, [this] {
            QLocalSocket *socket = server.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] { serve(socket); });
        });
        start();
    }
    void start() { server.listen(path); }
    void goAway()
    {
        server.close();
        for (QLocalSocket *socket : server.findChildren<QLocalSocket *>())
            socket->abort();
    }
    void end(int index)
    {
        const Spoken &s = spoken[index];
        s.client->write(QStringLiteral("702-%1\r\n702-%2\r\n702 END\r\n").arg(s.id).arg(clients[s.client].id).toUtf8());
        --playing;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Spoken &s : spoken)
            out << s.text;
        return out;
    }

    void serve(QLocalSocket *socket)
    {
        Client &client = clients[socket];
        client.input += socket->readAll();
        for (int end; (end = client.input.indexOf("\r\n")) >= 0; client.input.remove(0, end + 2)) {
            const QString line = QString::fromUtf8(client.input.left(end));
            const auto reply = [socket](const QString &text) { socket->write((text + "\r\n").toUtf8()); };
            if (client.receiving && line != ".") {
                overlapped = overlapped || playing++ > 0;
                spoken << Spoken{line, client.settings, socket, nextId++};
                continue;
            }
            if (std::exchange(client.receiving, false)) {
                reply(QStringLiteral("225-%1\r\n225 OK MESSAGE QUEUED").arg(spoken.last().id));
                continue;
            }
            commands << line;
            const QString parameter = line.section(u' ', 2, 2);
            if (line.startsWith("SET SELF ") && !QStringList{"CLIENT_NAME", "NOTIFICATION", "PRIORITY"}.contains(parameter))
                client.settings << line.section(u' ', 2);
            if (!answering)
                continue;
            client.receiving = line.compare("SPEAK", Qt::CaseInsensitive) == 0;
            if (client.receiving)
                reply("230 OK RECEIVING DATA");
            else if (line == "HISTORY GET CLIENT_ID")
                reply(QStringLiteral("245-%1\r\n245 OK CLIENT ID SENT").arg(client.id));
            else if (line == "LIST OUTPUT_MODULES")
                reply("250-espeak-ng\r\n250 OK MODULE LIST SENT");
            else if (line == "LIST SYNTHESIS_VOICES")
                reply("249-Italian\tit\tnone\r\n249-English\ten\tnone\r\n249-Italian+Anna\tit-IT\tAnna\r\n249 OK VOICE LIST SENT");
            else
                reply("200 OK");
        }
    }

    static inline int nextId = 1; // client and message ids, unique in the whole test run
    QTemporaryDir dir;
    QString path = dir.filePath("speechd.sock");
    QLocalServer server;
    QHash<QLocalSocket *, Client> clients;
    QList<Spoken> spoken;
    QStringList commands;
    bool answering = true;
    int playing = 0;
    bool overlapped = false; // a text arrived while another was still being spoken
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
        std::optional<QList<ModuleVoices>> listed;
        QObject context;
        QObject::connect(voice.get(), &SpeechDispatcherVoice::voicesListed, &context, [&](const auto &v) { listed = v; });
        voice->requestVoices();
        EXPECT_TRUE(waitFor([&] { return listed.has_value(); }));
        return listed.value_or(QList<ModuleVoices>{});
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
    LogCapture log("sorteggina.voice.info=true");
    for (const char *text : {"uno", " ", "due\x1b[2J", "tre"})
        voice->speak(text);
    EXPECT_EQ(log.texts("sorteggina.voice"), (QStringList{"uno", " ", "due\\x1b[2J", "tre"}));
    ASSERT_TRUE(speakAndEnd(3));
    EXPECT_EQ(server.texts(), (QStringList{"uno", "due [2J", "tre"}));
    EXPECT_FALSE(server.overlapped);
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
        {"module and voice", {"espeak-ng", "Italian+Anna"}, italian + QStringList{"OUTPUT_MODULE espeak-ng", "SYNTHESIS_VOICE Italian+Anna"}, false},
        {"rate, pitch, volume", {{}, {}, 30, -20, 100}, italian + QStringList{"RATE 30", "PITCH -20", "VOLUME 100"}, false},
        {"module not running", {"festival", "kal", 10}, italian + QStringList{"RATE 10"}, true},
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
}

TEST_F(SpeechDispatcherVoiceTest, StopsAStuckTextAfterItsBoundAndGoesOn)
{
    EXPECT_EQ(SpeechDispatcherVoice::stuckBoundMs(QString(100, u'x')), 15000);
    const QString stuck = "Tombola per il tabellone";
    voice->speak(stuck);
    voice->speak("90");
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 1; }));
    settle();
    passMs(SpeechDispatcherVoice::stuckBoundMs(stuck) - 1);
    settle();
    EXPECT_FALSE(server.commands.contains("STOP SELF"));
    passMs(1);
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 2; }));
    EXPECT_TRUE(server.commands.contains("STOP SELF"));
    EXPECT_EQ(server.texts(), (QStringList{stuck, "90"}));
}

TEST_F(SpeechDispatcherVoiceTest, ComesBackWithTheServerDroppingTextsGoneStale)
{
    LogCapture log;
    QSignalSpy availability(voice.get(), &SpeechDispatcherVoice::availabilityChanged);
    voice->speak("uno");
    voice->speak("due");
    ASSERT_TRUE(speakAndEnd(1));
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 2; }));
    server.goAway(); // while "due" is being spoken
    ASSERT_TRUE(waitFor([&] { return availability.size() == 1; }));
    EXPECT_EQ(availability[0], (QVariantList{false, kVoiceNotRunningProblem}));
    voice->speak("tre");
    passMs(SpeechDispatcherVoice::maxWaitMs);
    settle(); // the retry has failed too
    voice->speak("quattro");
    server.start();
    passMs(SpeechDispatcherVoice::retryMs);
    ASSERT_TRUE(waitFor([&] { return server.spoken.size() == 3; }));
    EXPECT_EQ(availability.last(), (QVariantList{true, QString()}));
    EXPECT_EQ(server.texts(), (QStringList{"uno", "due", "quattro"}));
    EXPECT_EQ(log.texts("sorteggina.speech").size(), 2) << log.texts("sorteggina.speech").join('\n').toStdString();
}

TEST_F(SpeechDispatcherVoiceTest, GivesUpOnASilentServerAndLeavesAtOnce)
{
    QSignalSpy availability(voice.get(), &SpeechDispatcherVoice::availabilityChanged);
    voice->speak("uno");
    ASSERT_TRUE(speakAndEnd(1));
    server.answering = false;
    voice->speak("due");
    ASSERT_TRUE(waitFor([&] { return server.commands.last() == "SET SELF PRIORITY MESSAGE"; }));
    passMs(SpeechDispatcherVoice::replyTimeoutMs);
    EXPECT_EQ(availability.value(0), (QVariantList{false, kVoiceNotAnsweringProblem}));
    // The next connection waits for an answer that never comes, in a call nothing can cut.
    const qsizetype connections = server.commands.filter("CLIENT_NAME").size();
    ASSERT_TRUE(waitFor([&] {
        passMs(250);
        return server.commands.filter("CLIENT_NAME").size() > connections;
    }));
    QElapsedTimer elapsed;
    elapsed.start();
    voice.reset();
    EXPECT_LT(elapsed.elapsed(), 150);
}

} // namespace
