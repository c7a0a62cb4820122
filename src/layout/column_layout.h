// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "layout/board_layout.h"

// Where each part of the control column sits at its design size, in twips from the
// window's top left corner, top to bottom.
namespace column {

constexpr TwipsRect kLastNumber{210, 50, 1545, 1395};
constexpr TwipsRect kTypedNumber{210, 1480, 1545, 500};
constexpr TwipsRect prizeButton(int prize) { return {240, 2130.0f + 330.0f * float(prize), 465, 220}; }
constexpr TwipsRect prizeBox(int prize)
{
    constexpr float widths[] = {765, 765, 1005, 945, 945};
    return {780, 2100.0f + 330.0f * float(prize), widths[prize], 255};
}
constexpr TwipsRect kNameLabel{360, 3930, 1125, 195};
constexpr TwipsRect kOwnerName{180, 4170, 1575, 285};
constexpr TwipsRect kManual{540, 4620, 1125, 315};
constexpr TwipsRect kScandito{540, 4980, 1125, 225};
constexpr TwipsRect kSmorfia{540, 5310, 1125, 225};
// Two by two, left then right.
constexpr TwipsRect cartella(int k)
{
    return {k % 2 == 0 ? 210.0f : 990.0f, 5790.0f + 270.0f * float(k / 2), 765, 255};
}
constexpr TwipsRect kNewGame{210, 6780, 1545, 450};
constexpr TwipsRect kReload{210, 7380, 1545, 450};
constexpr TwipsRect kDraw{210, 8050, 1545, 795};
constexpr TwipsRect kHelp{210, 9060, 585, 705};
constexpr TwipsRect kLogo{900, 9060, 810, 705};
constexpr TwipsRect kMore{210, 9900, 1545, 330};
constexpr TwipsRect kDrawCount{210, 10290, 1545, 300};
constexpr TwipsRect kLastFive{210, 10590, 1545, 330};

static_assert(kMore.top + kMore.height <= kControlColumnHeight);

} // namespace column
