// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/season.h"

#include <QDialog>

class Evening;
class EveningStore;
class QCheckBox;
class QDateEdit;
class QLabel;
class QTableWidget;
class QTabWidget;
class QTreeWidget;

// A question answered "Sì" or "No", "No" being the default.
bool askYesNo(QWidget *parent, const QString &title, const QString &question);

// "Vincitori": the prizes of this game and of the earlier games of the evening with who
// won them, a new evening, and the record saved for a spreadsheet or for print; then the
// evenings recorded before, each with its games, and the standings of a season.
class WinnersDialog : public QDialog {
    Q_OBJECT
public:
    // Without the evenings' database only the evening in progress is shown.
    WinnersDialog(Evening &evening, EveningStore *evenings, QWidget *parent);

    // The list follows the record.
    void showRecord();
    // The recorded evenings read afresh, and the standings with them.
    void showPastEvenings();
    QTabWidget *tabs;
    QTreeWidget *list;
    QTreeWidget *pastEvenings;
    QCheckBox *whole, *fromGiven, *toGiven;
    QDateEdit *from, *to;
    QLabel *standingsSummary;
    QTableWidget *standings;

private:
    QWidget *makeCurrentTab();
    QWidget *makePastTab();
    QWidget *makeStandingsTab();
    void showStandings();
    void startNewEvening();
    void saveReport();
    void savePastEvening();
    void saveStandings();
    QDate periodStart() const;
    QDate periodEnd() const;

    Evening &evening_;
    EveningStore *store_;
    evening::Evenings past_;
    evening::Standings shown_;
};
