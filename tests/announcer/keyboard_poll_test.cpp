#include "announcer/keyboard_poll.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

TEST(KeyboardPoll, EachNewPressActsOnceAndKeysSeenTogetherActInAscendingOrder)
{
    FakeKeyState keys;
    KeyboardPoll poll{keys};
    QList<int> acted;
    for (int code : {37, 38, 39, 40, 113, 117, 123})
        poll.setAction(code, [&acted, code] { acted << code; });
    const auto ticks = [&poll](int n) {
        for (int i = 0; i < n; ++i)
            poll.Timer3_Timer();
    };
    // Down already at the start, together with keys that have no action; then held.
    keys.down = {250, KeyboardPoll::kF12, KeyboardPoll::kF2, 0, KeyboardPoll::kDown};
    ticks(1);
    EXPECT_EQ(acted, (QList<int>{40, 113, 123}));
    ticks(20);
    keys.down = {};
    ticks(1);
    keys.down = {KeyboardPoll::kDown};
    ticks(5);
    keys.down = {};
    keys.taps = {KeyboardPoll::kUp};  // pressed and released between two ticks
    ticks(3);
    EXPECT_EQ(acted, (QList<int>{40, 113, 123, 40, 38}));
}
