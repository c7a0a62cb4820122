// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/command_line.h"
#include "evening/season.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace evening;

namespace {
// Each an evening, begun the day of its first game: prizes as "V prize number out withdrawn code name".
const QStringList kEvenings{
    "P 2026-08-31T21:00:00 1\nE 1 2\nV 0 2 2 0 - Ugo",
    "P 2026-09-01T21:00:00 1\nE 1 2 3\nV 0 2 2 0 - Zia Nunzia\nV 0 2 2 0 - Mario\nV 0 2 2 0 - Lia\n"
    "V 1 3 3 1 - Mario\nV 1 3 3 0 - Lia\nV 3 3 3 0 - ZIA NUNZIA\nV 3 3 3 0 - =Pia\nV 4 3 3 0 - zia nunzia",
    "P 2027-06-30T23:59:00 1\nE 1 2\nV 0 2 2 0 - MARIO\nV 4 2 2 0 - Mario\nV 4 2 2 0 - Lia",
    "P 2027-07-01T00:01:00 1\nE 1 2\nV 5 2 2 0 - Mario",
};
} // namespace

// A prize shared by n counts 1/n to each, names match whatever their case and spaces, a
// prize taken back counts for no one, and both days of the period are in it.
TEST(Season, StandingsShareCountMatchNamesAndKeepThePeriodsBothDays)
{
    QTemporaryDir dir;
    {
        EveningStore store(dir.path());
        for (const QString &evening : kEvenings)
            ASSERT_TRUE(store.importRecord("Serata 1\n" + evening));
    }
    const Evenings all = EveningStore(dir.path()).evenings();
    const struct {
        QDate from, to;
        QStringList rows; // name, ambo … tombola [tombolino], total
    } cases[] = {
        {{2026, 9, 1}, {2027, 6, 30},
            {"Vincitore Ambo Terno Quaterna Cinquina Tombola Totale", "Zia Nunzia 0,33 0 0 0,5 1 1,83",
                "Lia 0,33 1 0 0 0,5 1,83", "Mario 1,33 0 0 0 0,5 1,83", "=Pia 0 0 0 0,5 0 0,5"}},
        {{2027, 6, 30}, {},
            {"Vincitore Ambo Terno Quaterna Cinquina Tombola Tombolino Totale", "MARIO 1 0 0 0 0,5 1 2,5",
                "Lia 0 0 0 0 0,5 0 0,5"}},
        {{}, {2026, 8, 31}, {"Vincitore Ambo Terno Quaterna Cinquina Tombola Totale", "Ugo 1 0 0 0 0 1"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(periodText(c.from, c.to).toStdString());
        const Standings standings = standingsOf(inPeriod(all, c.from, c.to));
        QStringList rows{standingsHeader(standings).join(u' ')};
        for (const QStringList &cells : standingsCells(standings))
            rows << cells.join(u' ');
        EXPECT_EQ(rows, c.rows);
    }
    EXPECT_EQ(eveningLine(all[1]), "2026-09-01 — 1 partita, 4 vincitori");
    const QByteArray csv = standingsCsv(standingsOf(inPeriod(all, {2026, 9, 1}, {2026, 9, 1})));
    EXPECT_TRUE(csv.contains("\r\nLia,\"0,33\",1,0,0,0,\"1,33\"\r\n'=Pia,0,0,0,\"0,5\",0,\"0,5\"\r\n")) << csv.data();
}

// The secretary's commands: 0 with the file written, 2 with nothing written for a bad
// period, a file that may not be written, or a database missing or not one.
TEST(Season, CommandsWriteTheStandingsOrRefuseWithTwo)
{
    QTemporaryDir dir, empty, foreign;
    EveningStore(dir.path()).importRecord("Serata 1\n" + kEvenings[1]);
    QFile text(foreign.filePath(EveningStore::kFileName));
    text.open(QIODevice::WriteOnly);
    text.write("non un database\n");
    text.close();
    const QString csv = dir.filePath("classifica.csv"), pdf = dir.filePath("classifica.pdf");
    const struct {
        QStringList arguments;
        QString folder;
        int exitCode;
        QString written; // and how it begins
        QByteArray head;
    } cases[] = {
        {{"--serate"}, dir.path(), 0, {}, {}},
        {{"--classifica", "2026-09-01..2026-09-01", "--csv", csv}, dir.path(), 0, csv, "\xEF\xBB\xBFVincitore,Ambo"},
        {{"--classifica=..", "--pdf", pdf}, dir.path(), 0, pdf, "%PDF-"},
        {{"--classifica", "2026-13-01..", "--csv", csv}, dir.path(), 2, {}, {}},
        {{"--classifica", "2027-01-01..2026-01-01", "--csv", csv}, dir.path(), 2, {}, {}},
        {{"--classifica", "2026-09-01", "--csv", csv}, dir.path(), 2, {}, {}},
        {{"--classifica", "..", "--csv", "-"}, dir.path(), 2, {}, {}},
        {{"--classifica", "..", "--csv", csv, "--pdf", pdf}, dir.path(), 2, {}, {}},
        {{"--classifica", "..", "--csv", dir.filePath("manca/c.csv")}, dir.path(), 2, {}, {}},
        {{"--serate", "--pdf", pdf}, dir.path(), 2, {}, {}},
        {{"--serate"}, empty.path(), 2, {}, {}},
        {{"--classifica", "..", "--csv", csv}, foreign.path(), 2, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QFile::remove(csv);
        QFile::remove(pdf);
        const cartelle::CommandLine command = cartelle::readCommandLine(c.arguments);
        const bool ours = command.action == cartelle::CommandLine::Action::ListEvenings ||
                          command.action == cartelle::CommandLine::Action::WriteStandings;
        EXPECT_EQ(ours ? answerSeasonCommand(command, c.folder) : cartelle::answerCommandLine(command), c.exitCode);
        QFile file(c.written);
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.read(c.head.size()) : QByteArray(), c.head);
        EXPECT_EQ(QFile::exists(csv) || QFile::exists(pdf), !c.written.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(empty.filePath(EveningStore::kFileName))) << "a question creates no database";
}
