#include "board/layout.h"

#include <cmath>

namespace {

static_assert(kBoardColumns * kBoardRows == tabellone::kCells);

TwipsRect placePanel(float clientWidth, float clientHeight, TwipsRect previousPanel,
                     float label6Height)
{
    const float width = clientWidth - kLeftStripWidth;
    const float height = clientHeight - label6Height;
    // A panel cannot take an empty or negative size, as when the window is minimised.
    if (width <= 0.0f || height <= 0.0f)
        return previousPanel;
    return {kLeftStripWidth, 0.0f, width, height};
}

} // namespace

BoardLayout layOutBoard(float clientWidth, float clientHeight, TwipsRect previousPanel,
                        float label6Width, float label6Height)
{
    BoardLayout layout{};
    layout.panel = placePanel(clientWidth, clientHeight, previousPanel, label6Height);

    const float PW = layout.panel.width;
    const float PH = layout.panel.height;
    const float A = PH / 9.0f;
    const float B = PW / 10.0f;
    const float C = PW / 200.0f;
    const float byHeight = PH / 200.0f;
    const float byWidth = PW / 250.0f;
    layout.numberFontPt = byHeight < byWidth ? byHeight : byWidth;

    // Row tops accumulate, so each row starts exactly where the one above ends.
    int column = 0;
    float rowTop = 0.0f;
    for (TwipsRect &cell : layout.cells) {
        if (column == kBoardColumns) {
            column = 0;
            rowTop = rowTop + A;
        }
        cell = {static_cast<float>(column) * B, rowTop, B, A};
        ++column;
    }

    layout.bars = {{
        {0.0f, PH / 3.0f - C / 2.0f, PW, C},
        {0.0f, 2.0f * PH / 3.0f - C / 2.0f, PW, C},
        {PW / 2.0f - C / 2.0f, 0.0f, C, PH},
        {0.0f, 0.0f, PW, C},
        {0.0f, PH - C, PW, C},
        {0.0f, 0.0f, C, PH},
        {PW - C, 0.0f, C, PH},
    }};

    layout.label6Left = (PW - label6Width) / 2.0f + kLeftStripWidth;
    layout.label6Top = clientHeight - label6Height;
    layout.bannerFontPt = PH / 150.0f;
    return layout;
}

int twipsToPixels(float twips, float dpi)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

float pixelsToTwips(int px, float dpi)
{
    return static_cast<float>(static_cast<double>(px) * kTwipsPerInch / dpi);
}

QRect toPixelRect(const TwipsRect &rect, float dpi)
{
    const int left = twipsToPixels(rect.left, dpi);
    const int top = twipsToPixels(rect.top, dpi);
    const int right = twipsToPixels(rect.left + rect.width, dpi);
    const int bottom = twipsToPixels(rect.top + rect.height, dpi);
    return QRect(left, top, right - left, bottom - top);
}
