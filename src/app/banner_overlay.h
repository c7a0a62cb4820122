// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/controls.h"
#include "display/banner_blink.h"

#include <QTimer>

class BoardView;
class Caller;

// The banner over the board: " TOMBOLA " blinking once the game is over (" TOMBOLINO " when
// it was played for), or the numbers
// of the prize just won on the owner's cartelle. Large yellow text on green, centred on the
// board and above everything on it. A click drops the prize message.
class BannerOverlay : public ClickLabel {
    Q_OBJECT
public:
    BannerOverlay(BoardView *board, const Caller &caller);
    // What the banner shows for the next half second; its timer calls it.
    void tick();

private:
    void place();

    BoardView *board_;
    const Caller &caller_;
    BannerBlink blink_;
    QTimer timer_;
};

inline const QString kTombolaBanner = QStringLiteral(" TOMBOLA ");
inline const QString kTombolinoBanner = QStringLiteral(" TOMBOLINO ");
