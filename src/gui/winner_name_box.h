// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

class QLineEdit;

// After a prize won in the room, a box for the winner's name that stays a few seconds and
// can be ignored: it never takes the focus, it is reached with a click or Tab.
class WinnerNameBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShownMs = 10'000;

    explicit WinnerNameBox(QWidget *parent);

    // Shown for the given winner of the given game of the evening's record.
    void offer(int game, int winner);
    QLineEdit *name;
    QTimer expiry;

signals:
    void named(int game, int winner, const QString &name);

private:
    int game_ = -1;
    int winner_ = -1;
};
