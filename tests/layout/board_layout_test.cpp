// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/board_layout.h"

#include <QRegion>
#include <gtest/gtest.h>

// Client areas in twips: the design one, one just tall enough, and 1366x768 at scales 2 and 3.
TEST(BoardLayout, TheColumnKeepsItsDesignWhereItFitsAndShrinksToTheHeightElsewhere)
{
    for (const auto &[width, height, zoom] : {std::tuple{17145.0f, 11010.0f, 1.0f}, {9000.0f, 10300.0f, 1.0f},
             {10245.0f, 5400.0f, 5400.0f / 10300.0f}, {6825.0f, 3450.0f, 0.335f}}) {
        EXPECT_NEAR(columnZoom(height), zoom, 1e-3) << height;
        const float column = kControlColumnWidth * columnZoom(height);
        const TwipsRect panel = boardPanel(width, height, {}, column);
        EXPECT_FLOAT_EQ(panel.left, column);
        EXPECT_FLOAT_EQ(panel.left + panel.width, width);
        EXPECT_FLOAT_EQ(smorfiaLinePlace(panel, height).x(), column + (panel.width - kSmorfiaLineWidth) / 2);
    }
    // A client area with no room keeps the previous panel.
    const TwipsRect panel = boardPanel(17145, 11010, {});
    EXPECT_FLOAT_EQ(boardPanel(1500, 11010, panel).width, 15145);
}

TEST(BoardLayout, CellsTileThePanelInPixelsAtAnySize)
{
    for (const auto &[width, height, dpi] :
        {std::tuple{1143, 694, 96.0f}, {1787, 1040, 96.0f}, {3573, 2080, 192.0f}, {7, 5, 96.0f}}) {
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
