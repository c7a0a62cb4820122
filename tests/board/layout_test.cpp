#include "board/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

constexpr TwipsRect kNoPanel{0.0f, 0.0f, 0.0f, 0.0f};

static void expectNear(const TwipsRect &actual, const TwipsRect &expected)
{
    EXPECT_NEAR(actual.left, expected.left, 0.005f);
    EXPECT_NEAR(actual.top, expected.top, 0.005f);
    EXPECT_NEAR(actual.width, expected.width, 0.005f);
    EXPECT_NEAR(actual.height, expected.height, 0.005f);
}

TEST(Layout, DesignClientAreaGivesTheDesignFigures)
{
    const BoardLayout layout = layOutBoard(17145.0f, 11010.0f, kNoPanel);
    const float W = 15145.0f, H = 10410.0f, C = 75.725f;  // panel width, height, bar thickness
    expectNear(layout.panel, {2000.0f, 0.0f, W, H});
    EXPECT_EQ(std::tuple(layout.numberFontPt, layout.bannerFontPt, layout.label6Left, layout.label6Top),
              std::tuple(52.05f, 69.4f, 4570.0f, 10410.0f));
    const TwipsRect bars[kBars] = {{0, 3432.1375f, W, C}, {0, 6902.1375f, W, C}, {7534.6375f, 0, C, H}, {0, 0, W, C},
                                   {0, H - C, W, C},      {0, 0, C, H},          {W - C, 0, C, H}};
    for (int k = 0; k < kBars; ++k)
        expectNear(layout.bars[k], bars[k]);
    for (const auto &[cell, left, top] :
         {std::tuple{9, 13630.5f, 0.0f}, {10, 0.0f, 1156.667f}, {44, 6058.0f, 4626.667f}, {89, 13630.5f, 9253.333f}})
        expectNear(layout.cells[cell], {left, top, 1514.5f, 1156.667f});
}

TEST(Layout, NumberFontFitsTheNarrowerSideOfThePanel)
{
    for (const auto &[width, height, fontPt] : {std::tuple{25000.0f, 5000.0f, 25.0f}, {5000.0f, 10000.0f, 20.0f}})
        EXPECT_FLOAT_EQ(layOutBoard(width + kLeftStripWidth, height + kLabel6Height, kNoPanel).numberFontPt, fontPt);
}

// Too narrow, only the strip, too low, only the smorfia line, minimised.
TEST(Layout, ClientAreaWithoutRoomKeepsThePreviousPanel)
{
    const BoardLayout before = layOutBoard(17145.0f, 11010.0f, kNoPanel);
    for (const auto &[width, height] :
         {std::pair{1500.0f, 11010.0f}, {2000.0f, 11010.0f}, {17145.0f, 400.0f}, {17145.0f, 600.0f}, {0.0f, 0.0f}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        const BoardLayout after = layOutBoard(width, height, before.panel);
        expectNear(after.panel, before.panel);
        expectNear(after.cells[89], before.cells[89]);
        expectNear(after.bars[6], before.bars[6]);
        EXPECT_EQ(std::pair(after.label6Left, after.label6Top), std::pair(before.label6Left, height - kLabel6Height));
    }
}

TEST(Layout, CellPixelsRoundToNearestAndTileThePanelExactly)
{
    EXPECT_EQ(std::tuple(twipsToPixels(7.0f, 96.0f), twipsToPixels(8.0f, 96.0f), twipsToPixels(-600.0f, 96.0f)),
              std::tuple(0, 1, -40));
    for (const auto &[width, height, dpi] : {std::tuple{1143, 734, 96.0f}, {1366, 768, 96.0f}, {1921, 1083, 120.0f},
                                             {333, 257, 144.0f}, {1001, 999, 72.0f}, {140, 47, 96.0f}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << " at " << dpi);
        const BoardLayout layout = layOutBoard(pixelsToTwips(width, dpi), pixelsToTwips(height, dpi), kNoPanel);
        const QRect panel = toPixelRect(layout.panel, dpi);
        EXPECT_EQ(panel.right() + 1, width);
        std::vector<int> covered(panel.width() * panel.height(), 0);
        for (const TwipsRect &cell : layout.cells) {
            const QRect px = toPixelRect(cell, dpi);
            ASSERT_TRUE(QRect(0, 0, panel.width(), panel.height()).contains(px) || px.isEmpty());
            for (int y = px.top(); y <= px.bottom(); ++y)
                for (int x = px.left(); x <= px.right(); ++x)
                    ++covered[y * panel.width() + x];
        }
        EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), std::ssize(covered));
    }
}
