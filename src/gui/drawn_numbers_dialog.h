// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

// "Numeri usciti": the numbers in the order they came, one item each with its smorfia
// meaning, in a list a screen reader walks item by item.
class DrawnNumbersDialog : public QDialog {
    Q_OBJECT
public:
    explicit DrawnNumbersDialog(QWidget *parent);
    void showNumbers(const QList<int> &order);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *count_;
    QListWidget *list_;
};
