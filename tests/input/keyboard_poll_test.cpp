// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/keyboard_poll.h"
#include "input/typed_number.h"
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
        {{{113, 1}, {40, 1}}, {}, {"down", "F2"}}, // seen together: by code
        {{{40, 1}}, {{40, true}}, {"down"}}, // pressed in the very next reading
        {{}, {{40, true}}, {}}, // held
        {{{40, 1}}, {{40, true}}, {"down"}}, // up and down again between readings
        {{{38, 2}}, {}, {"up", "up"}}, // two taps within one reading
    };
    for (const auto &tick : ticks) {
        keys.presses = tick.presses;
        keys.down = tick.down;
        acted.clear();
        poll.tick();
        EXPECT_EQ(acted, tick.acts);
    }
}

TEST(TypedNumber, DigitsMakeABoardNumberAndEnterTakesIt)
{
    const struct {
        const char *keys; // digits, '<' erases, '.' is Enter
        std::optional<int> taken;
        const char *left;
    } cases[] = {{"42.", 42, ""}, {"7.", 7, ""}, {"90.", 90, ""}, {"05.", 5, ""}, {"45<7.", 47, ""},
        {"9", std::nullopt, "9"}, {"91.", std::nullopt, ""}, {"95", std::nullopt, "95"}, {"0.", std::nullopt, ""},
        {"00.", std::nullopt, ""}, {"123.", std::nullopt, ""}, {"9055", std::nullopt, "905"}};
    for (const auto &c : cases) {
        TypedNumber typed;
        std::optional<int> taken;
        for (const char *k = c.keys; *k; ++k)
            *k == '<' ? typed.erase() : *k == '.' ? void(taken = typed.take()) : typed.type(*k - '0');
        EXPECT_EQ(taken, c.taken) << c.keys;
        EXPECT_EQ(typed.text(), c.left) << c.keys;
    }
}
