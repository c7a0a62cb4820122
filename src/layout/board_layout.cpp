// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout/board_layout.h"

#include <cmath>

static_assert(kBoardColumns * kBoardRows == board::kCells);

BoardGeometry boardGeometry(float width, float height)
{
    BoardGeometry g{};
    const float rowHeight = height / kBoardRows;
    const float columnWidth = width / kBoardColumns;
    // The horizontal bars too take their thickness from the width.
    const float bar = width / 200.0f;
    const float byHeight = height / 200.0f;
    const float byWidth = width / 250.0f;
    g.numberPoints = byHeight < byWidth ? byHeight : byWidth;
    g.bannerPoints = height / 150.0f;

    // Row tops accumulate, so that each row starts exactly where the one above ends.
    float rowTop = 0.0f;
    for (int i = 0; i < board::kCells; ++i) {
        if (i > 0 && i % kBoardColumns == 0)
            rowTop += rowHeight;
        g.cells[i] = {float(i % kBoardColumns) * columnWidth, rowTop, columnWidth, rowHeight};
    }
    g.bars = {{
        {0.0f, height / 3.0f - bar / 2.0f, width, bar},
        {0.0f, 2.0f * height / 3.0f - bar / 2.0f, width, bar},
        {width / 2.0f - bar / 2.0f, 0.0f, bar, height},
        {0.0f, 0.0f, width, bar},
        {0.0f, height - bar, width, bar},
        {0.0f, 0.0f, bar, height},
        {width - bar, 0.0f, bar, height},
    }};
    return g;
}

float columnZoom(float clientHeight)
{
    return clientHeight >= kControlColumnHeight || clientHeight <= 0.0f ? 1.0f : clientHeight / kControlColumnHeight;
}

TwipsRect boardPanel(float clientWidth, float clientHeight, TwipsRect previous, float columnWidth)
{
    const float width = clientWidth - columnWidth;
    const float height = clientHeight - kSmorfiaLineHeight;
    if (width <= 0.0f || height <= 0.0f)
        return previous;
    return {columnWidth, 0.0f, width, height};
}

QPointF smorfiaLinePlace(const TwipsRect &panel, float clientHeight)
{
    return {(panel.width - kSmorfiaLineWidth) / 2.0f + panel.left, clientHeight - kSmorfiaLineHeight};
}

int twipsToPixels(float twips, float dpi) { return int(std::lround(double(twips) * dpi / kTwipsPerInch)); }

float pixelsToTwips(int pixels, float dpi) { return float(double(pixels) * kTwipsPerInch / dpi); }

QRect toPixels(const TwipsRect &rect, float dpi)
{
    const int left = twipsToPixels(rect.left, dpi);
    const int top = twipsToPixels(rect.top, dpi);
    return QRect(
        left, top, twipsToPixels(rect.left + rect.width, dpi) - left, twipsToPixels(rect.top + rect.height, dpi) - top);
}
