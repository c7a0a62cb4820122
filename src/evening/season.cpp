// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/season.h"

#include "cartelle/command_line.h"
#include "evening/record_export.h"
#include "platform/safe_save_file.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace evening {

namespace {

    const QString kName = QStringLiteral("Vincitore");
    const QString kTotal = QStringLiteral("Totale");
    const QString kEveningLine = QStringLiteral("%1 — %2 %3, %4 %5");
    const QString kGameOne = QStringLiteral("partita"), kGames = QStringLiteral("partite");
    const QString kWinnerOne = QStringLiteral("vincitore"), kWinners = QStringLiteral("vincitori");
    const QString kDate = QStringLiteral("dd/MM/yyyy");
    const QString kWhole = QStringLiteral("tutte le serate");
    const QString kFrom = QStringLiteral("dal %1");
    const QString kTo = QStringLiteral("al %1");
    const QString kCannotWrite = QStringLiteral("Impossibile scrivere %1: %2");
    const QString kNoDatabase = QStringLiteral("non c'è il database delle serate %1");
    const QString kUnreadable = QStringLiteral("il database delle serate %1 non si può leggere: %2");
    const QString kWritten = QStringLiteral("Classifica di %1 (%2) scritta in %3");
    const QString kEveningOne = QStringLiteral("serata"), kEvenings = QStringLiteral("serate");
    const QString kCount = QStringLiteral("%1 %2");
    const QString kStandingsCount = QStringLiteral("%1 su %2");

    QString counted(qsizetype n, const QString &one, const QString &many)
    {
        return kCount.arg(n).arg(n == 1 ? one : many);
    }
    const QString kPdfTitle = QStringLiteral("Classifica");
    const QString kNoWinners = QStringLiteral("Nessun premio in questo periodo.");
    constexpr int kRefused = 2;

    // Shares are compared in millionths, so that three thirds make one.
    qint64 comparable(double share) { return std::llround(share * 1e6); }

    int refuse(const QString &why)
    {
        QTextStream(stderr) << "sorteggina: " << why << '\n';
        return kRefused;
    }

    bool failed(QString *error, const QString &why)
    {
        if (error)
            *error = why;
        return false;
    }

    bool writeWhole(const QString &path, QString *error, const std::function<bool(QIODevice &)> &write)
    {
        SafeSaveFile file(path);
        if (!file.open())
            return failed(error, kCannotWrite.arg(path, file.error()));
        if (!write(*file.device()) || !file.commit())
            return failed(error, kCannotWrite.arg(path, file.error()));
        return true;
    }

} // namespace

QString winnerKey(const QString &name) { return name.simplified().toCaseFolded(); }

Standings standingsOf(const Evenings &evenings)
{
    Standings standings;
    QHash<QString, qsizetype> rowOf;
    for (const EveningStore::EveningSummary &evening : evenings)
        for (const RecordedGame &game : evening.record.games) {
            std::array<int, kPrizeKinds> sharing{};
            for (const Winner &w : game.winners)
                sharing[w.prize] += w.withdrawn ? 0 : 1;
            for (const Winner &w : game.winners) {
                if (w.withdrawn)
                    continue;
                const QString key = winnerKey(w.name);
                auto row = rowOf.constFind(key);
                if (row == rowOf.cend()) {
                    row = rowOf.insert(key, standings.rows.size());
                    standings.rows << Standing{w.name.simplified(), {}, 0};
                }
                Standing &standing = standings.rows[*row];
                standing.prizes[w.prize] += 1.0 / sharing[w.prize];
                standing.total += 1.0 / sharing[w.prize];
                standings.tombolino = standings.tombolino || w.prize == kTombolino;
            }
        }
    std::ranges::stable_sort(standings.rows, [](const Standing &a, const Standing &b) {
        const auto order = [](const Standing &s) {
            return std::tuple(-comparable(s.total), -comparable(s.prizes[board::kTombola]), winnerKey(s.name));
        };
        return order(a) < order(b);
    });
    return standings;
}

Evenings inPeriod(const Evenings &evenings, const QDate &from, const QDate &to)
{
    Evenings found;
    for (const EveningStore::EveningSummary &evening : evenings) {
        const QDate day = evening.started.date();
        if ((!from.isValid() || day >= from) && (!to.isValid() || day <= to))
            found << evening;
    }
    return found;
}

QString shareText(double share)
{
    QString text = QString::number(std::round(share * 100) / 100, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.replace(u'.', u',');
}

int winnersOf(const EveningRecord &record)
{
    QSet<QString> names;
    for (const RecordedGame &game : record.games)
        for (const Winner &w : game.winners)
            if (!w.withdrawn)
                names.insert(winnerKey(w.name));
    return int(names.size());
}

QString eveningLine(const EveningStore::EveningSummary &evening)
{
    const qsizetype games = evening.record.games.size();
    const int winners = winnersOf(evening.record);
    return kEveningLine.arg(evening.started.date().toString(Qt::ISODate))
        .arg(games)
        .arg(games == 1 ? kGameOne : kGames)
        .arg(winners)
        .arg(winners == 1 ? kWinnerOne : kWinners);
}

QString standingsCount(qsizetype winners, qsizetype evenings)
{
    return kStandingsCount.arg(counted(winners, kWinnerOne, kWinners), counted(evenings, kEveningOne, kEvenings));
}

QString periodText(const QDate &from, const QDate &to)
{
    QStringList bounds;
    if (from.isValid())
        bounds << kFrom.arg(from.toString(kDate));
    if (to.isValid())
        bounds << kTo.arg(to.toString(kDate));
    return bounds.isEmpty() ? kWhole : bounds.join(u' ');
}

QStringList standingsHeader(const Standings &standings)
{
    QStringList header{kName};
    for (int prize = 0; prize < kPrizeKinds; ++prize)
        if (prize != kTombolino || standings.tombolino)
            header << prizeName(prize);
    return header << kTotal;
}

QList<QStringList> standingsCells(const Standings &standings)
{
    QList<QStringList> rows;
    for (const Standing &standing : standings.rows) {
        QStringList cells{standing.name};
        for (int prize = 0; prize < kPrizeKinds; ++prize)
            if (prize != kTombolino || standings.tombolino)
                cells << shareText(standing.prizes[prize]);
        rows << (cells << shareText(standing.total));
    }
    return rows;
}

QByteArray standingsCsv(const Standings &standings)
{
    QString text = csvLine(standingsHeader(standings));
    for (const QStringList &cells : standingsCells(standings))
        text += csvLine(cells);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool writeStandingsCsv(const Standings &standings, const QString &path, QString *error)
{
    return writeWhole(path, error, [&](QIODevice &file) { return file.write(standingsCsv(standings)) >= 0; });
}

bool writeStandingsPdf(const Standings &standings, const QString &title, const QString &path, QString *error)
{
    // Names come from the database: every text is escaped before it joins the page.
    QString html = QStringLiteral("<h2>%1</h2><p>%2</p>").arg(kPdfTitle, title.toHtmlEscaped());
    if (standings.rows.isEmpty()) {
        html += QStringLiteral("<p>%1</p>").arg(kNoWinners);
    } else {
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\"><tr>");
        for (const QString &cell : standingsHeader(standings))
            html += QStringLiteral("<th>%1</th>").arg(cell.toHtmlEscaped());
        html += QStringLiteral("</tr>");
        for (const QStringList &cells : standingsCells(standings)) {
            html += QStringLiteral("<tr>");
            for (qsizetype c = 0; c < cells.size(); ++c)
                html += QStringLiteral("<td align=\"%1\">%2</td>")
                            .arg(c == 0 ? QStringLiteral("left") : QStringLiteral("right"), cells[c].toHtmlEscaped());
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
    }
    return writeWhole(path, error, [&](QIODevice &file) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        pdf.setTitle(kPdfTitle);
        pdf.setResolution(96);
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        document.setHtml(html);
        // Laid out on the page's own width, so that the table spans it.
        document.setPageSize(QSizeF(pdf.width(), pdf.height()));
        document.print(&pdf);
        return true;
    });
}

int answerSeasonCommand(const cartelle::CommandLine &command, const QString &folder)
{
    using Action = cartelle::CommandLine::Action;
    const QString fileName = QDir(folder).filePath(EveningStore::kFileName);
    // Nothing is created for a question: a missing database is told, not made.
    if (!QFileInfo(fileName).isFile())
        return refuse(kNoDatabase.arg(fileName));
    if (QFile probe(fileName); !probe.open(QIODevice::ReadOnly))
        return refuse(kUnreadable.arg(fileName, probe.errorString()));
    EveningStore store(folder);
    if (!store.isOpen() || !store.problem().isEmpty())
        return refuse(store.problem().isEmpty() ? kUnreadable.arg(fileName, QString()) : store.problem());
    const Evenings evenings = inPeriod(store.evenings(), command.from, command.to);
    QTextStream out(stdout);
    if (command.action == Action::ListEvenings) {
        for (const EveningStore::EveningSummary &evening : evenings)
            out << eveningLine(evening) << '\n';
        return 0;
    }
    const Standings standings = standingsOf(evenings);
    const QString period = periodText(command.from, command.to);
    QString error;
    const bool written = command.pdf.isEmpty() ? writeStandingsCsv(standings, command.csv, &error)
                                               : writeStandingsPdf(standings, period, command.pdf, &error);
    if (!written)
        return refuse(error);
    out << kWritten.arg(standingsCount(standings.rows.size(), evenings.size()), period,
               command.pdf.isEmpty() ? command.csv : command.pdf)
        << '\n';
    return 0;
}

} // namespace evening
