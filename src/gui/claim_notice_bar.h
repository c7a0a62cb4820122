// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// A claim from a phone over the top of the board, with "Conferma" and "Respingi" (reached by
// Tab); it never takes the focus, so the game's keys go on acting while it is shown. A screen
// reader hears it as it comes.
class ClaimNoticeBar : public QFrame {
    Q_OBJECT
public:
    explicit ClaimNoticeBar(QWidget *parent);

    // Empty hides it.
    void showClaim(const QString &text);
    QString text() const;
    // Across the top of `area`.
    void place(const QRect &area);

    QPushButton *confirm;
    QPushButton *refuse;

private:
    QLabel *label_;
};
