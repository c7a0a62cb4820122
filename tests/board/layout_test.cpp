#include "board/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr TwipsRect kNoPanel{0.0f, 0.0f, 0.0f, 0.0f};
constexpr float kTolerance = 0.005f;

void expectSameRect(const TwipsRect &actual, const TwipsRect &expected)
{
    EXPECT_FLOAT_EQ(actual.left, expected.left);
    EXPECT_FLOAT_EQ(actual.top, expected.top);
    EXPECT_FLOAT_EQ(actual.width, expected.width);
    EXPECT_FLOAT_EQ(actual.height, expected.height);
}

TEST(Layout, DesignClientAreaGivesTheDesignFigures)
{
    const BoardLayout layout = layOutBoard(17145.0f, 11010.0f, kNoPanel);
    expectSameRect(layout.panel, {2000.0f, 0.0f, 15145.0f, 10410.0f});
    EXPECT_NEAR(layout.numberFontPt, 52.05f, kTolerance);
    EXPECT_NEAR(layout.bannerFontPt, 69.4f, kTolerance);
    EXPECT_FLOAT_EQ(layout.label6Left, 4570.0f);
    EXPECT_FLOAT_EQ(layout.label6Top, 10410.0f);
    EXPECT_NEAR(layout.bars[0].top, 3432.14f, kTolerance);
    EXPECT_NEAR(layout.bars[1].top, 6902.14f, kTolerance);
    EXPECT_NEAR(layout.bars[2].left, 7534.64f, kTolerance);

    const std::pair<int, std::pair<float, float>> places[] = {
        {9, {13630.5f, 0.0f}}, {10, {0.0f, 1156.667f}}, {44, {6058.0f, 4626.667f}},
        {89, {13630.5f, 9253.333f}}};
    for (const auto &[cell, place] : places) {
        SCOPED_TRACE(cell);
        EXPECT_NEAR(layout.cells[cell].left, place.first, kTolerance);
        EXPECT_NEAR(layout.cells[cell].top, place.second, kTolerance);
        EXPECT_NEAR(layout.cells[cell].width, 1514.5f, kTolerance);
        EXPECT_NEAR(layout.cells[cell].height, 1156.667f, kTolerance);
    }
}

TEST(Layout, FontsAndBarsFollowThePanelShape)
{
    struct Case {
        float panelWidth, panelHeight, numberFontPt;
    };
    for (const Case &c : {Case{25000.0f, 5000.0f, 25.0f}, Case{5000.0f, 10000.0f, 20.0f}}) {
        SCOPED_TRACE(testing::Message() << c.panelWidth << " x " << c.panelHeight);
        const BoardLayout layout = layOutBoard(c.panelWidth + kLeftStripWidth,
                                               c.panelHeight + kLabel6Height, kNoPanel);
        EXPECT_NEAR(layout.numberFontPt, c.numberFontPt, kTolerance);
        // Horizontal bars too take their thickness from the width.
        const float C = c.panelWidth / 200.0f;
        for (int k : {0, 1, 3, 4})
            EXPECT_FLOAT_EQ(layout.bars[k].height, C) << "bar " << k;
        for (int k : {2, 5, 6})
            EXPECT_FLOAT_EQ(layout.bars[k].width, C) << "bar " << k;
        EXPECT_FLOAT_EQ(layout.bars[4].top + C, c.panelHeight);
        EXPECT_FLOAT_EQ(layout.bars[6].left + C, c.panelWidth);
    }
}

TEST(Layout, ClientAreaWithoutRoomKeepsThePreviousPanel)
{
    const BoardLayout before = layOutBoard(17145.0f, 11010.0f, kNoPanel);
    // Too narrow, only the strip, too low, only the smorfia line, minimised.
    for (const auto &[width, height] : {std::pair{1500.0f, 11010.0f}, std::pair{2000.0f, 11010.0f},
                                        std::pair{17145.0f, 400.0f}, std::pair{17145.0f, 600.0f},
                                        std::pair{0.0f, 0.0f}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        const BoardLayout after = layOutBoard(width, height, before.panel);
        expectSameRect(after.panel, before.panel);
        for (int i : {0, 44, 89})
            expectSameRect(after.cells[i], before.cells[i]);
        for (int k = 0; k < kBars; ++k)
            expectSameRect(after.bars[k], before.bars[k]);
        EXPECT_FLOAT_EQ(after.label6Left, before.label6Left);
        EXPECT_FLOAT_EQ(after.label6Top, height - kLabel6Height);
    }
}

TEST(Layout, PixelsRoundToNearest)
{
    EXPECT_EQ(twipsToPixels(7.0f, 96.0f), 0);
    EXPECT_EQ(twipsToPixels(8.0f, 96.0f), 1);
    EXPECT_EQ(twipsToPixels(-600.0f, 96.0f), -40);
    EXPECT_FLOAT_EQ(pixelsToTwips(1143, 96.0f), 17145.0f);
}

TEST(Layout, CellPixelsTileThePanelExactly)
{
    struct Case {
        int width, height;
        float dpi;
    };
    for (const Case &c : {Case{1143, 734, 96.0f}, Case{1366, 768, 96.0f}, Case{1921, 1083, 120.0f},
                          Case{333, 257, 144.0f}, Case{1001, 999, 72.0f}, Case{140, 47, 96.0f}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.dpi);
        const BoardLayout layout = layOutBoard(pixelsToTwips(c.width, c.dpi),
                                               pixelsToTwips(c.height, c.dpi), kNoPanel);
        const QRect panel = toPixelRect(layout.panel, c.dpi);
        EXPECT_EQ(panel.right() + 1, c.width);

        std::vector<int> covered(panel.width() * panel.height(), 0);
        for (const TwipsRect &cell : layout.cells) {
            const QRect px = toPixelRect(cell, c.dpi);
            ASSERT_TRUE(QRect(0, 0, panel.width(), panel.height()).contains(px) || px.isEmpty());
            for (int y = px.top(); y <= px.bottom(); ++y)
                for (int x = px.left(); x <= px.right(); ++x)
                    ++covered[y * panel.width() + x];
        }
        EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), std::ssize(covered));
    }
}

} // namespace
