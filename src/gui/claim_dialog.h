// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cartelle/code.h"
#include "cartelle/serie.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// "Verifica cartella": the caller types the code printed on a player's cartella and sees
// the cartella with the numbers drawn so far, and whether it holds the prize in play.
class ClaimDialog : public QDialog {
    Q_OBJECT
public:
    explicit ClaimDialog(QWidget *parent = nullptr);

    // The numbers drawn (number n at index n - 1) and the prize in play on the ladder
    // (0 ambo to 4 tombola, -1 when every prize is gone). A cartella on show follows them.
    void setGame(const std::array<bool, 90> &drawn, int prizeInPlay);
    // Whether the cartella on show can be confirmed as a winner now; without it, never.
    void setClaimable(std::function<bool(const cartelle::Grid &, const QString &code)> claimable);
    // What a confirmation made, shown under the verdict until the next code.
    void showConfirmed(const QString &outcome);

signals:
    // After each good code: the verdict, to be spoken.
    void verdictReady(const QString &phrase);
    // "Conferma vincita": the cartella on show, its printed code and the winner's name, if typed.
    void claimConfirmed(const cartelle::Grid &cartella, const QString &code, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The constructor's parts.
    void wireButtons();
    // Object names, accessible names, fonts and looks.
    void nameParts();
    void makeCells();
    void layOut();
    void verify();
    void confirm();
    void showCartella();

    QLineEdit *code_;
    QLabel *problem_;
    QLabel *caption_;
    std::array<std::array<QLabel *, cartelle::kColumns>, cartelle::kRows> cells_{};
    QLabel *verdict_;
    QLineEdit *name_;
    QPushButton *confirm_;
    QLabel *outcome_;
    QPushButton *verify_;
    QWidget *gridFrame_;
    QPushButton *close_;
    std::function<bool(const cartelle::Grid &, const QString &code)> claimable_;

    std::array<bool, 90> drawn_{};
    int prizeInPlay_ = 0;
    std::optional<cartelle::CartellaId> shown_;
};
