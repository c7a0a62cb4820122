#pragma once

#include <QString>

struct Rgb {
    int r, g, b;
    friend constexpr bool operator==(const Rgb &, const Rgb &) = default;
};

// How a cartella label and its fifteen cells look, in play or excluded from the board.
constexpr Rgb kCartellaInPlayBack{255, 224, 192};
constexpr Rgb kCartellaExcludedBack{255, 192, 128};
inline const QString kPaperLight = QStringLiteral(":/paper_light.png");
inline const QString kPaperDark = QStringLiteral(":/paper_dark.png");

constexpr Rgb cartellaLabelBack(bool inPlay)
{
    return inPlay ? kCartellaInPlayBack : kCartellaExcludedBack;
}

inline QString cellTexture(bool inPlay) { return inPlay ? kPaperLight : kPaperDark; }
