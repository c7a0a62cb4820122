// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/evening_record.h"
#include "evening/evening_store.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <array>

namespace cartelle {
struct CommandLine;
}

// The club's season: the evenings recorded over a period and the standings of their winners.
namespace evening {

using Evenings = QList<EveningStore::EveningSummary>;

// One winner's prizes over the period; a prize shared by n winners counts 1/n to each.
struct Standing {
    QString name; // as first typed
    std::array<double, kPrizeKinds> prizes{};
    double total = 0;
};

struct Standings {
    QList<Standing> rows; // total first, then tombole, then name
    bool tombolino = false; // some tombolino was won
};

// A winner's name as it is matched: blanks collapsed, case folded.
QString winnerKey(const QString &name);
Standings standingsOf(const Evenings &evenings);
// The evenings begun from `from` to `to`, both days included; an invalid date is no bound.
Evenings inPeriod(const Evenings &evenings, const QDate &from, const QDate &to);
// A count as shown and exported: "2", "0,5", "1,33".
QString shareText(double share);
// How many different winners kept their prize.
int winnersOf(const EveningRecord &record);
// "2026-12-06 — 3 partite, 5 vincitori"
QString eveningLine(const EveningStore::EveningSummary &evening);
// "1 vincitore su 2 serate"
QString standingsCount(qsizetype winners, qsizetype evenings);
// "dal 01/09/2026 al 30/06/2027", "tutte le serate"
QString periodText(const QDate &from, const QDate &to);

// The table's header and rows, the tombolino's column only when some was won.
QStringList standingsHeader(const Standings &standings);
QList<QStringList> standingsCells(const Standings &standings);
// As the evening's record is saved: UTF-8 CSV with its formula guard; an A4 PDF table.
QByteArray standingsCsv(const Standings &standings);
// False with the reason in error; the file is replaced only once whole. The PDF needs a QGuiApplication.
bool writeStandingsCsv(const Standings &standings, const QString &path, QString *error);
bool writeStandingsPdf(const Standings &standings, const QString &title, const QString &path, QString *error);

// --serate and --classifica against the evenings' database in `folder`: 0, or 2 with the
// reason on standard error (a database missing or unreadable, a file not written).
int answerSeasonCommand(const cartelle::CommandLine &command, const QString &folder = EveningStore::defaultFolder());

} // namespace evening
