// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/record_export.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

namespace evening {

namespace {

    const QStringList kCsvHeader{QStringLiteral("Partita"), QStringLiteral("Inizio"), QStringLiteral("Riga"),
        QStringLiteral("Estratti"), QStringLiteral("Numero"), QStringLiteral("Premio"), QStringLiteral("Vincitore"),
        QStringLiteral("Cartella"), QStringLiteral("Annullato")};
    const QString kNumberRow = QStringLiteral("Numero");
    const QString kPrizeRow = QStringLiteral("Premio");
    const QString kWithdrawnCell = QStringLiteral("sì");
    const QString kCsvTime = QStringLiteral("yyyy-MM-dd HH:mm");

    const QString kPdfTitle = QStringLiteral("Partita %1 — %2");
    const QString kPdfTime = QStringLiteral("dd/MM/yyyy, 'ore' HH:mm");
    const QString kPdfNumbers = QStringLiteral("Numeri estratti, nell'ordine (%1)");
    const QString kPdfWithdrawnNote = QStringLiteral("I numeri barrati sono stati annullati.");
    const QString kPdfPrizes = QStringLiteral("Premi");
    const QString kPdfNoPrizes = QStringLiteral("Nessun premio");
    const QString kPdfPrizeLine = QStringLiteral("%1: %2 — numero %3, %4 estratti");
    const QString kPdfCode = QStringLiteral(" (cartella %1)");
    const QString kPdfWithdrawnPrize = QStringLiteral(" — annullato");

    QString csvField(QString field)
    {
        // A sign at the start of a cell is taken for a formula by a spreadsheet. A spreadsheet
        // that splits on ';' or tabs (as Italian ones do) starts a cell after each of them too,
        // and some skip the spaces before a cell's text.
        static const QRegularExpression formula(QStringLiteral("(^|[,;\\t\\r\\n])([ ]*)([=+\\-@])"));
        field.replace(formula, QStringLiteral("\\1\\2'\\3"));
        static const QRegularExpression needsQuotes(QStringLiteral("[,;\"\\t\\r\\n]"));
        if (field.contains(needsQuotes)) {
            field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            field = QLatin1Char('"') + field + QLatin1Char('"');
        }
        return field;
    }

} // namespace

QString csvLine(const QStringList &fields)
{
    QStringList cells;
    for (const QString &field : fields)
        cells << csvField(field);
    return cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QByteArray csvOf(const EveningRecord &record)
{
    QString text = csvLine(kCsvHeader);
    for (qsizetype g = 0; g < record.games.size(); ++g) {
        const RecordedGame &game = record.games[g];
        const QString number = QString::number(g + 1);
        const QString start = game.start.toLocalTime().toString(kCsvTime);
        int out = 0;
        for (const Draw &draw : game.draws) {
            text += csvLine({number, start, kNumberRow, QString::number(out + 1), QString::number(draw.number), {}, {},
                {}, draw.withdrawn ? kWithdrawnCell : QString()});
            out += draw.withdrawn ? 0 : 1;
        }
        for (const Winner &w : game.winners)
            text += csvLine({number, start, kPrizeRow, QString::number(w.countOut),
                w.number > 0 ? QString::number(w.number) : QString(), prizeName(w.prize), w.name, w.code,
                w.withdrawn ? kWithdrawnCell : QString()});
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool writeCsv(const EveningRecord &record, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(csvOf(record));
    return file.commit();
}

bool writePdf(const EveningRecord &record, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(300);
        pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        pdf.setTitle(QStringLiteral("Sorteggina"));
        QPainter painter;
        if (!painter.begin(&pdf))
            return false;
        const QRect page = painter.viewport();
        const int unit = page.width() / 40; // a fortieth of the text width
        QFont title(QStringLiteral("DejaVu Sans"));
        title.setPixelSize(unit * 3 / 2);
        title.setBold(true);
        QFont body(QStringLiteral("DejaVu Sans"));
        body.setPixelSize(unit);
        QFont numbers = body;
        numbers.setPixelSize(unit * 5 / 4);
        for (qsizetype g = 0; g < record.games.size(); ++g) {
            const RecordedGame &game = record.games[g];
            if (g > 0)
                pdf.newPage();
            int y = 0;
            painter.setFont(title);
            painter.drawText(QRect(0, y, page.width(), unit * 2), Qt::AlignLeft | Qt::AlignVCenter,
                kPdfTitle.arg(g + 1).arg(game.start.toLocalTime().toString(kPdfTime)));
            y += unit * 3;
            painter.setFont(body);
            painter.drawText(QRect(0, y, page.width(), unit * 2), Qt::AlignLeft | Qt::AlignVCenter,
                kPdfNumbers.arg(game.liveOrder().size()));
            y += unit * 2;
            // Ten to a row, as on the tabellone; enough rows for every draw a game can keep.
            const int cell = page.width() / 10;
            const int rowHeight = unit * 2;
            painter.setFont(numbers);
            bool anyWithdrawn = false;
            for (qsizetype d = 0; d < game.draws.size(); ++d) {
                const QRect box(int(d % 10) * cell, y + int(d / 10) * rowHeight, cell, rowHeight);
                QFont font = numbers;
                font.setStrikeOut(game.draws[d].withdrawn);
                painter.setFont(font);
                painter.setPen(game.draws[d].withdrawn ? Qt::gray : Qt::black);
                painter.drawText(box, Qt::AlignCenter, QString::number(game.draws[d].number));
                anyWithdrawn = anyWithdrawn || game.draws[d].withdrawn;
            }
            painter.setPen(Qt::black);
            y += int((game.draws.size() + 9) / 10) * rowHeight + unit;
            painter.setFont(body);
            if (anyWithdrawn) {
                painter.drawText(
                    QRect(0, y, page.width(), unit * 2), Qt::AlignLeft | Qt::AlignVCenter, kPdfWithdrawnNote);
                y += unit * 2;
            }
            y += unit;
            painter.setFont(title);
            painter.drawText(QRect(0, y, page.width(), unit * 2), Qt::AlignLeft | Qt::AlignVCenter, kPdfPrizes);
            y += unit * 5 / 2;
            painter.setFont(body);
            QStringList lines;
            for (const Winner &w : game.winners)
                lines << kPdfPrizeLine.arg(prizeName(w.prize), w.name).arg(w.number).arg(w.countOut) +
                             (w.code.isEmpty() ? QString() : kPdfCode.arg(w.code)) +
                             (w.withdrawn ? kPdfWithdrawnPrize : QString());
            if (lines.isEmpty())
                lines << kPdfNoPrizes;
            // Whatever does not fit the page is cut rather than spilling onto the next game's.
            painter.drawText(QRect(0, y, page.width(), page.height() - y),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines.join(QLatin1Char('\n')));
        }
        painter.end();
    }
    return file.commit();
}

} // namespace evening
