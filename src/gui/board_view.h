// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "layout/board_layout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QThread>
#include <QWidget>
#include <array>
#include <bitset>
#include <memory>

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
    ~BoardView() override;

    void showGame(const Game &game);
    // Starts drawing the board for its present size before it is shown.
    void drawAhead();
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
    struct Marks {
        bool drawn = false;
        bool inPlay = true;
        bool operator==(const Marks &) const = default;
    };
    // The two papers scaled to each cell size met, in device pixels.
    using Papers = QHash<quint64, QImage>;
    // What a whole board is drawn from, copied so that another thread can draw it.
    struct Scene {
        std::array<Marks, 90> marks;
        std::array<QRect, 90> cells;
        std::array<QRect, kBars> bars;
        Look look;
        QStringList fontFamilies; // the numbers' font, made anew by the thread that draws
        qreal fontPoints;
        QSize size; // in device pixels
        qreal ratio;
    };
    struct Drawing {
        QImage canvas;
        Papers papers;
    };

    int cellAt(QPoint point) const;
    void layOutCells();
    Scene scene() const;
    static void drawCell(QPainter &painter, const Scene &scene, const QFont &font, int cell, Papers &papers);
    static Drawing drawWhole(const Scene &scene, Papers papers);
    void startDrawing();
    void takeDrawing();

    std::array<Marks, 90> marks_{};
    std::array<QRect, 90> cells_{};
    std::array<QRect, kBars> bars_{};
    QImage canvas_;
    std::bitset<90> stale_; // cells to draw again in the canvas
    Papers papers_;
    // The whole board being drawn on a thread of its own after a resize, while the rest of
    // the window is laid out and painted; the paint that needs it waits for it.
    std::unique_ptr<QThread> drawer_;
    std::unique_ptr<Drawing> drawn_;
    std::array<Marks, 90> drawnMarks_{};
    QSize drawingSize_; // in device pixels
    Look look_;
    QFont numberFont_;
    float bannerPoints_ = 0;
    int pressedCell_ = -1;
};
