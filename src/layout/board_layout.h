// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"

#include <QRect>
#include <array>

// Where things go, in twips (1440 to the inch, 15 to a pixel at 96 dpi) and in single
// precision, so that the board looks the same at every size and density.
struct TwipsRect {
    float left, top, width, height;
};

constexpr float kTwipsPerInch = 1440.0f;
// The column of controls on the left, which the board never covers.
constexpr float kControlColumnWidth = 2000.0f;
// From the column's top down to the foot of its lowest control.
constexpr float kControlColumnHeight = 10300.0f;
constexpr float kSmorfiaLineWidth = 10005.0f;
constexpr float kSmorfiaLineHeight = 600.0f;
constexpr int kBoardColumns = 10;
constexpr int kBoardRows = 9;
constexpr int kBars = 7;

// The board laid out in a panel of the given size: ten columns by nine rows of cells that
// fill it, seven black bars framing it and parting the cartelle, and the sizes of its texts.
struct BoardGeometry {
    std::array<TwipsRect, board::kCells> cells;
    std::array<TwipsRect, kBars> bars;
    float numberPoints; // the numbers of the cells
    float bannerPoints; // the banner over the board
};
BoardGeometry boardGeometry(float width, float height);

// The scale of the control column in a client area this tall: 1 where it has room, less
// where it would not fit, so that every control stays on the screen at any desktop scale.
float columnZoom(float clientHeight);
// The panel of the caller's window for a client area: right of the control column, above
// the smorfia line. An area with no room for it keeps the previous panel.
TwipsRect boardPanel(
    float clientWidth, float clientHeight, TwipsRect previous, float columnWidth = kControlColumnWidth);
// The smorfia line's top left corner: centred under the panel, on the window's bottom edge.
QPointF smorfiaLinePlace(const TwipsRect &panel, float clientHeight);

int twipsToPixels(float twips, float dpi);
float pixelsToTwips(int pixels, float dpi);
// Rounds the edges rather than the size, so that rectangles that meet in twips meet in
// pixels and the cells tile the panel without gaps.
QRect toPixels(const TwipsRect &rect, float dpi);
