// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_queue.h"

#include "platform/log_capture.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

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

TEST_F(SpeechQueueTest, SaysOneTextAtATimeInOrderAndStopsAStuckOneAtItsBound)
{
    const QString stuck = "Tombola per il tabellone";
    EXPECT_EQ(next().first, Job::Connect);
    EXPECT_EQ(next().first, Job::None) << "one job out at a time";
    queue.done(Job::Connect, true);
    for (const QString &text : {QString("uno"), QString(" "), stuck, QString("90")})
        queue.add(text, {});
    EXPECT_EQ(next(), std::pair(Job::Say, QString("uno")));
    queue.done(Job::Say, true, 7);
    EXPECT_EQ(next().first, Job::None) << "the next waits for the end";
    queue.ended(6);
    EXPECT_EQ(next().first, Job::None) << "another text's end";
    queue.ended(7);
    EXPECT_EQ(next(), std::pair(Job::Say, stuck));
    queue.done(Job::Say, true, 8);
    pass(SpeechQueue::stuckBoundMs(stuck) - 1);
    EXPECT_EQ(next().first, Job::None);
    pass(1);
    EXPECT_EQ(next().first, Job::Stop);
    queue.done(Job::Stop, true);
    EXPECT_EQ(next(), std::pair(Job::Say, QString("90")));
    queue.done(Job::Say, true, 9);
    queue.ended(8);
    EXPECT_EQ(next().first, Job::None) << "the stopped text's end does not end the next";
    EXPECT_EQ(SpeechQueue::stuckBoundMs(QString(100, u'x')), 15000);
}

TEST_F(SpeechQueueTest, WithoutAServerRetriesDropsStaleTextsAndSaysALostTextAgainOnce)
{
    LogCapture log("sorteggina.speech");
    queue.add("uno", {});
    EXPECT_EQ(next().first, Job::Connect);
    queue.done(Job::Connect, false, -1, "no server");
    EXPECT_EQ(std::pair(queue.available(), queue.problem()), std::pair(false, kVoiceNotRunningProblem));
    pass(SpeechQueue::retryMs - 1);
    EXPECT_EQ(next().first, Job::None);
    for (qint64 waited = SpeechQueue::retryMs - 1; waited < SpeechQueue::maxWaitMs; waited += SpeechQueue::retryMs) {
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

TEST_F(SpeechQueueTest, CutsAJobTheServerDoesNotAnswerOnce)
{
    EXPECT_EQ(next().first, Job::Connect);
    pass(SpeechQueue::connectTimeoutMs - 1);
    EXPECT_TRUE(queue.available());
    clock.now += 1;
    EXPECT_TRUE(queue.tick());
    EXPECT_FALSE(queue.tick());
    EXPECT_EQ(std::pair(queue.available(), queue.problem()), std::pair(false, kVoiceNotAnsweringProblem));
    queue.done(Job::Connect, false);
    EXPECT_EQ(queue.nextDeadlineMs(), clock.now + SpeechQueue::retryMs) << "tried again later";
}

} // namespace
