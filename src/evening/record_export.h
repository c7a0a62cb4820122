// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/evening_record.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace evening {

// The record as a table for a spreadsheet: UTF-8 with a byte order mark (so that Calc and
// Excel take it as UTF-8 without asking), comma separated, CRLF line ends, a header row,
// then per game one row per number as it came and one row per prize. Columns:
//   Partita     the game's number in the evening, from 1
//   Inizio      its start, "2026-12-06 21:30" (local time)
//   Riga        "Numero" or "Premio"
//   Estratti    how many numbers were out, that one included
//   Numero      the number drawn, or the number that made the prize
//   Premio      Ambo … Tombola, Tombolino; empty on a number's row
//   Vincitore   who won it; empty on a number's row
//   Cartella    the printed code of a confirmed claim, else empty
//   Annullato   "sì" when the number or the prize was taken back, else empty
// One row, each cell guarded against being taken for a formula, quoted where needed.
QString csvLine(const QStringList &fields);
QByteArray csvOf(const EveningRecord &record);
bool writeCsv(const EveningRecord &record, const QString &path);

// One A4 page per game: its numbers in the order they came (those taken back struck out)
// and its prizes with their winners. Needs a QGuiApplication.
bool writePdf(const EveningRecord &record, const QString &path);

} // namespace evening
