#include "announcer/keyboard_poll.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

class KeyboardPollTest : public ::testing::Test {
protected:
    KeyboardPollTest()
    {
        for (int code : {37, 38, 39, 40, 113, 114, 115, 116, 117, 123})
            poll.setAction(code, [this, code] { acted << code; });
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            poll.Timer3_Timer();
    }

    FakeKeyState keys;
    KeyboardPoll poll{keys};
    QList<int> acted;
};

TEST_F(KeyboardPollTest, KeysFirstSeenTogetherActInAscendingOrder)
{
    keys.down = {KeyboardPoll::kF2, KeyboardPoll::kF12, KeyboardPoll::kDown};
    ticks(1);
    EXPECT_EQ(acted, (QList<int>{40, 113, 123}));
}

TEST_F(KeyboardPollTest, AHeldKeyActsOncePerPress)
{
    keys.down = {KeyboardPoll::kDown};  // already down when polling starts
    ticks(1);
    EXPECT_EQ(acted, QList<int>{40});
    ticks(20);
    EXPECT_EQ(acted, QList<int>{40});

    keys.down.clear();
    ticks(1);
    keys.down = {KeyboardPoll::kDown};
    ticks(5);
    EXPECT_EQ(acted, (QList<int>{40, 40}));
}

TEST_F(KeyboardPollTest, ATapBetweenTwoTicksActsOnce)
{
    keys.taps = {KeyboardPoll::kUp};
    ticks(3);
    EXPECT_EQ(acted, QList<int>{38});
    keys.taps = {KeyboardPoll::kUp};
    ticks(1);
    EXPECT_EQ(acted, (QList<int>{38, 38}));
}

TEST_F(KeyboardPollTest, KeysWithoutActionOnlyLatch)
{
    keys.down = {0, 1, 16, 65, 112, 250};
    ticks(2);
    EXPECT_TRUE(acted.isEmpty());
    keys.down << KeyboardPoll::kLeft;
    ticks(2);
    EXPECT_EQ(acted, QList<int>{37});
}
