// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "layout/board_layout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <array>
#include <bitset>

class Game;

// The tabellone: ninety cells in ten columns by nine rows that fill the view, each number
// on the light paper of a cartella in play or the dark paper of one left out, red once it
// is drawn, framed and parted into the six cartelle by black bars. Shared by the caller's
// window and the players' screen.
class BoardView : public QWidget {
    Q_OBJECT
public:
    // How cells look beside the light paper of a cartella in play with its black number.
    struct Look {
        QColor drawn, drawnNumber;
        QColor leftOut; // invalid: the dark paper
        QColor leftOutNumber;
    };
    // The caller's board: red when drawn, dark paper when left out, numbers black.
    static Look callersLook();
    // The players' screen, read from across a room: every number at 7:1 contrast or more.
    static Look hallLook();

    explicit BoardView(const Look &look = callersLook(), QWidget *parent = nullptr);

    void showGame(const Game &game);
    bool drawn(int cell) const { return marks_[cell].drawn; }
    bool inPlay(int cell) const { return marks_[cell].inPlay; }
    QRect cellRect(int cell) const { return cells_[cell]; }
    // The banner's text size for this board.
    float bannerPoints() const { return bannerPoints_; }

signals:
    // A number clicked with the left button.
    void numberClicked(int number);
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int cellAt(QPoint point) const;
    void drawCell(QPainter &painter, int cell);

    struct Marks {
        bool drawn = false;
        bool inPlay = true;
    };
    std::array<Marks, 90> marks_{};
    std::array<QRect, 90> cells_{};
    std::array<QRect, kBars> bars_{};
    QImage canvas_;
    std::bitset<90> stale_; // cells to draw again in the canvas
    Look look_;
    QFont numberFont_;
    float bannerPoints_ = 0;
    int pressedCell_ = -1;
};
