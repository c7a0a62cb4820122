#pragma once

#include "game/tabellone.h"

#include <QRect>
#include <array>

// A rectangle in twips, in single precision like every quantity of the board's layout.
struct TwipsRect {
    float left, top, width, height;
};

constexpr float kTwipsPerInch = 1440.0f;
// The column of controls on the left that the board never covers.
constexpr float kLeftStripWidth = 2000.0f;
constexpr float kLabel6Width = 10005.0f;
constexpr float kLabel6Height = 600.0f;
constexpr int kBoardColumns = 10;
constexpr int kBoardRows = 9;
constexpr int kBars = 7;

// Where everything of the board goes for one client area. The panel is in the window's
// coordinates; cells and bars are in the panel's own, origin at its top left corner.
struct BoardLayout {
    TwipsRect panel;                                 // `Picture1`
    std::array<TwipsRect, tabellone::kCells> cells;  // `Label1(i)` and `Image1(i)` alike
    std::array<TwipsRect, kBars> bars;               // `Picture2(k)`
    float numberFontPt;                              // every `Label1(i)`
    float label6Left, label6Top;                     // the smorfia line keeps its size
    float bannerFontPt;                              // `Label3`
};

// `Form_Resize`: lays the board out for a client area of clientWidth x clientHeight
// twips. When the area leaves no room for the panel, the panel keeps previousPanel and
// everything else is laid out again on it.
BoardLayout layOutBoard(float clientWidth, float clientHeight, TwipsRect previousPanel,
                        float label6Width = kLabel6Width, float label6Height = kLabel6Height);

int twipsToPixels(float twips, float dpi);
float pixelsToTwips(int px, float dpi);

// Rounds the edges rather than the size, so rectangles that meet in twips also meet in
// pixels and the cells tile the panel without gaps.
QRect toPixelRect(const TwipsRect &rect, float dpi);
