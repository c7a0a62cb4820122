// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/board_layout.h"

#include <QRegion>
#include <gtest/gtest.h>

// The design client area, 17145 x 11010 twips: the panel and the board inside it.
TEST(BoardLayout, DesignSizeFigures)
{
    const TwipsRect panel = boardPanel(17145, 11010, {});
    EXPECT_FLOAT_EQ(panel.left, 2000);
    EXPECT_FLOAT_EQ(panel.width, 15145);
    EXPECT_FLOAT_EQ(panel.height, 10410);
    const BoardGeometry g = boardGeometry(panel.width, panel.height);
    EXPECT_NEAR(g.numberPoints, 52.05f, 1e-3);
    EXPECT_NEAR(g.bannerPoints, 69.4f, 1e-3);
    EXPECT_NEAR(g.cells[89].left, 13630.5f, 1e-2);
    EXPECT_NEAR(g.cells[89].top, 9253.333f, 1e-2);
    EXPECT_NEAR(g.bars[0].top, 3432.14f, 1e-2);
    EXPECT_NEAR(g.bars[2].left, 7534.64f, 1e-2);
    EXPECT_NEAR(smorfiaLinePlace(panel, 11010).x(), 4570, 1e-2);
    EXPECT_EQ(boardGeometry(25000, 5000).numberPoints, 25);
    EXPECT_EQ(boardGeometry(5000, 10000).numberPoints, 20);
    // A client area with no room keeps the previous panel.
    EXPECT_FLOAT_EQ(boardPanel(1500, 11010, panel).width, 15145);
}

TEST(BoardLayout, CellsTileThePanelInPixelsAtAnySize)
{
    for (const auto &[width, height, dpi] : {std::tuple{1143, 694, 96.0f}, {1787, 1040, 96.0f}, {3573, 2080, 192.0f}, {7, 5, 96.0f}}) {
        const BoardGeometry g = boardGeometry(pixelsToTwips(width, dpi), pixelsToTwips(height, dpi));
        QRegion covered;
        int area = 0;
        for (const TwipsRect &cell : g.cells) {
            const QRect r = toPixels(cell, dpi);
            covered += r;
            area += r.width() * r.height();
        }
        EXPECT_EQ(covered, QRegion(0, 0, width, height)) << width;
        EXPECT_EQ(area, width * height) << "no overlap at " << width;
    }
}
