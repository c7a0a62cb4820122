// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <optional>

class ClickLabel;
class Game;
class QLabel;
class QWidget;

// The last number, large in the top left corner ("OV" before the first of a game), and its
// meaning in the smorfia on the line under the board; a click on either says it again.
// Low in the control column, how many are out ("12/90") and the last five, newest first.
class NumberDisplays : public QObject {
    Q_OBJECT
public:
    explicit NumberDisplays(QWidget *window);

    void show(std::optional<int> number, const Game &game);
    // The phones connected, beside the count of numbers out; nothing while they are off.
    void showPhones(std::optional<int> count);
    // Centred under the board, on the window's bottom edge.
    void placeSmorfiaLine(QPoint topLeft);

    ClickLabel *lastNumber;
    ClickLabel *smorfiaLine;
    QLabel *drawCount;
    QLabel *lastFive;
    // What has been typed from the bag, under the last number.
    QLabel *typedNumber;

private:
    void showCount();

    int drawn_ = 0;
    std::optional<int> phones_;
};

inline const QString kNoNumberCaption = QStringLiteral("OV");
