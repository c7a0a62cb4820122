#include "input/keyboard_poll.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

TEST(KeyboardPoll, EveryPressActsOnceInCodeOrderAndAHeldKeyDoesNotRepeat)
{
    FakeKeyState keys;
    KeyboardPoll poll(keys);
    QStringList acted;
    poll.setAction(KeyboardPoll::kDown, [&] { acted << "down"; });
    poll.setAction(KeyboardPoll::kF2, [&] { acted << "F2"; });
    poll.setAction(KeyboardPoll::kUp, [&] { acted << "up"; });
    const struct {
        QHash<int, int> presses;
        QHash<int, bool> down;
        QStringList acts;
    } ticks[] = {
        {{{113, 1}, {40, 1}}, {}, {"down", "F2"}},  // seen together: by code
        {{{40, 1}}, {{40, true}}, {"down"}},        // pressed in the very next reading
        {{}, {{40, true}}, {}},                     // held
        {{{40, 1}}, {{40, true}}, {"down"}},        // up and down again between readings
        {{{38, 2}}, {}, {"up", "up"}},              // two taps within one reading
        {{}, {{38, true}}, {"up"}},                 // already down when first read
    };
    for (const auto &tick : ticks) {
        keys.presses = tick.presses;
        keys.down = tick.down;
        acted.clear();
        poll.tick();
        EXPECT_EQ(acted, tick.acts);
    }
}
