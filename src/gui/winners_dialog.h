// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Evening;
class QTreeWidget;

// A question answered "Sì" or "No", "No" being the default.
bool askYesNo(QWidget *parent, const QString &title, const QString &question);

// "Vincitori": the prizes of this game and of the earlier games of the evening with who
// won them, a new evening, and the record saved for a spreadsheet or for print.
class WinnersDialog : public QDialog {
    Q_OBJECT
public:
    WinnersDialog(Evening &evening, QWidget *parent);

    // The list follows the record.
    void showRecord();
    QTreeWidget *list;

private:
    void startNewEvening();
    void saveReport();

    Evening &evening_;
};
