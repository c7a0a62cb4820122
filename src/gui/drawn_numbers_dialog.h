// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// "Numeri usciti": the numbers in the order they came, one a line, in a text a screen
// reader can walk.
class DrawnNumbersDialog : public QDialog {
    Q_OBJECT
public:
    explicit DrawnNumbersDialog(QWidget *parent);
    void showNumbers(const QList<int> &order);

private:
    QLabel *count_;
    QPlainTextEdit *list_;
};
