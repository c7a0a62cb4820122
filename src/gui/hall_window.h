// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

class AutoCaller;
class BannerOverlay;
class BoardView;
class Caller;
class Evening;
class Session;

// The players' screen, for a TV or a projector: the board, the last number very large with
// its meaning, how many are out, the last five in the order they came, the prizes gone, and
// the banner. It opens without taking the keyboard from the caller's window; clicked, the
// game's keys act there as in the caller's window. Escape or a double click leaves full
// screen, F11 enters it.
class HallWindow : public QWidget {
    Q_OBJECT
public:
    // It follows the session's game, its evening (each prize named as it is won, for a while,
    // the game's winners after the tombola) and automatic calling (the time to the next number).
    HallWindow(const Session &session, QWidget *parent);

    static constexpr int kPrizeShownMs = 10'000;

    void showGame();
    // Full screen on a screen other than the caller's (the remembered one if it is there);
    // with one screen, a window to drag to a projector.
    void openBeside(QWidget *callerWindow, const QString &rememberedScreen);
    // The texts of the side panel, top to bottom.
    QStringList lines() const;
    // The address the players' phones open and its QR code, in the panel's bottom corner;
    // empty takes them away.
    void setPhoneAddress(const QString &url);
    // Where the QR code is drawn, empty while there is none.
    QRect phoneCodePlace() const;

    BoardView *board;
    BannerOverlay *banner;

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Row {
        QString text;
        double share;
        QColor colour;
        bool bold;
        double fontFactor = 0.5;
    };
    QList<Row> rows() const;
    QRect nextNumberBar() const;

    const Caller &caller_;
    QString phoneUrl_;
    QImage phoneCode_;
    const Evening *evening_;
    const AutoCaller *autoCaller_;
    qsizetype winnersSeen_ = 0;
    QStringList prizeShown_; // the prize, its numbers, its winner
    QTimer prizeExpiry_;
    QTimer nextNumberTick_;
};
