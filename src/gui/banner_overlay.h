// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/click_label.h"
#include "gui/widget_look.h"

#include <QTimer>

class BoardView;
class Caller;

// The banner over the board: " TOMBOLA " blinking once the game is over (" TOMBOLINO " when
// it was played for), or the numbers of the prize just won on the owner's cartelle, from
// the moment the game changes. Large yellow text on green, centred on the board and above
// everything on it. A click drops the prize message and reaches nothing under it.
class BannerOverlay : public ClickLabel {
    Q_OBJECT
public:
    static constexpr int kBlinkMs = 500;

    BannerOverlay(BoardView *board, const Caller &caller);
    // The tombola's blink: shown for one tick, hidden for the next.
    void tick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showGame();
    void showText(const QString &text);
    void place();

    BoardView *board_;
    const Caller &caller_;
    QTimer blink_;
};
