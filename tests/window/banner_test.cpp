#include "window/banner.h"

#include <QStringList>
#include <gtest/gtest.h>

// The inputs of the ticks, T the tombola ticked and M a message pending, cover each input in both phases.
TEST(Banner, TombolaBlinksAndAMessageStaysSteady)
{
    const QString T = kTombolaCaption, M = " 12, 15 ";
    Banner banner;
    QStringList shown;
    for (const QString input : {"TM", "TM", "T", "T", "M", "M", "M", "-", "TM", "-", "M"}) {
        const BannerView view = banner.Timer2_Timer(input.contains('T'), input.contains('M'), M);
        EXPECT_EQ(view.visible, !view.caption.isEmpty());
        shown << (view.visible ? view.caption : "-");
    }
    EXPECT_EQ(shown, QStringList({"-", T, "-", T, "-", M, M, "-", T, "-", M}));
}

TEST(Banner, CentresOnThePanelEvenWhenLarger)
{
    const BannerPlace inside = placeBanner(15145.0f, 10410.0f, 7035.0f, 1815.0f);
    const BannerPlace larger = placeBanner(15145.0f, 10410.0f, 20000.0f, 12000.0f);
    EXPECT_EQ(std::tuple(inside.left, inside.top, larger.left, larger.top),
              std::tuple(4055.0f, 4297.5f, -2427.5f, -795.0f));
}
