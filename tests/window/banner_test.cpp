#include "window/banner.h"

#include "game/game_state.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

const QString kMessage = QStringLiteral(" 12, 15 ");

TEST(Banner, EachTickFollowsTheStateTable)
{
    struct Row {
        bool tombola, message;
        int phaseBefore;  // 0 is a banner fresh from start-up
        bool visible;
        QString caption;
        int phaseAfter;
    };
    const Row rows[] = {
        {true, false, 1, true, kTombolaCaption, 0}, {true, true, 1, true, kTombolaCaption, 0},
        {true, true, 0, false, {}, 1},              {false, true, 1, true, kMessage, 1},
        {false, true, 0, false, {}, 1},             {false, false, 1, false, {}, 1},
        {false, false, 0, false, {}, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "T=" << row.tombola << " M=" << row.message
                                        << " phase=" << row.phaseBefore);
        Banner banner;
        if (row.phaseBefore == 1)
            banner.Timer2_Timer(false, false, {});
        const BannerView view = banner.Timer2_Timer(row.tombola, row.message, kMessage);
        EXPECT_EQ(view.visible, row.visible);
        EXPECT_EQ(view.caption, row.caption);
        EXPECT_EQ(banner.phase(), row.phaseAfter);
    }
}

// Ticks with the given inputs and returns what was shown, "-" for hidden.
QStringList run(Banner &banner, int ticks, bool tombola, bool message)
{
    QStringList shown;
    for (int tick = 0; tick < ticks; ++tick) {
        const BannerView view = banner.Timer2_Timer(tombola, message, kMessage);
        shown << (view.visible ? view.caption : QStringLiteral("-"));
    }
    return shown;
}

TEST(Banner, TombolaBlinksAndAMessageStaysSteady)
{
    Banner banner;
    const QString T = kTombolaCaption, M = kMessage;
    EXPECT_EQ(run(banner, 5, true, true), (QStringList{"-", T, "-", T, "-"}));
    // Unticked right after an "off" blink, the message shows at once and stays.
    EXPECT_EQ(run(banner, 3, false, true), (QStringList{M, M, M}));
    EXPECT_EQ(run(banner, 1, false, false), QStringList{"-"});

    // Unticked right after an "on" blink, the message needs one more tick.
    EXPECT_EQ(run(banner, 1, true, true), QStringList{T});
    EXPECT_EQ(run(banner, 2, false, true), (QStringList{"-", M}));
}

TEST(Banner, ClickOnTheBannerClearsOnlyTheMessage)
{
    GameState state;
    state.prize[tabellone::kTombola] = 1;
    state.messagePending = true;
    Label3_Click(state);
    EXPECT_FALSE(state.messagePending);
    EXPECT_TRUE(state.tombolaOut());
}

TEST(Banner, CentresOnThePanelEvenWhenLarger)
{
    const BannerPlace inside = placeBanner(15145.0f, 10410.0f, 7035.0f, 1815.0f);
    EXPECT_FLOAT_EQ(inside.left, 4055.0f);
    EXPECT_FLOAT_EQ(inside.top, 4297.5f);

    const BannerPlace larger = placeBanner(15145.0f, 10410.0f, 20000.0f, 12000.0f);
    EXPECT_FLOAT_EQ(larger.left, -2427.5f);
    EXPECT_FLOAT_EQ(larger.top, -795.0f);
}

} // namespace
