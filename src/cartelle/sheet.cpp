// SPDX-License-Identifier: GPL-3.0-or-later
#include "cartelle/sheet.h"

#include "cartelle/code.h"
#include "cartelle/serie.h"
#include "platform/safe_save_file.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace cartelle {
namespace {

    const QString kTitle = QStringLiteral("Sorteggina — serie %1");
    const QString kCutHint = QStringLiteral("Ritagliare lungo le linee tratteggiate");
    const QString kCardCaption = QStringLiteral("Sorteggina");
    const QString kCardDetail = QStringLiteral("serie %1, cartella %2");
    const QString kPdfTitle = QStringLiteral("Sorteggina — cartelle, serie %1–%2");
    const QString kOutOfRange = QStringLiteral("Le serie vanno da %1 a %2.");
    const QString kReversed = QStringLiteral("La prima serie (%1) viene dopo l'ultima (%2).");
    const QString kCannotWrite = QStringLiteral("Impossibile scrivere %1: %2");

    // The sheet in millimetres.
    constexpr double kSheetWidth = 210;
    constexpr double kSheetHeight = 297;
    constexpr double kSideMargin = 10;
    constexpr double kTopMargin = 6;
    constexpr double kTitleHeight = 6;
    constexpr double kBottomMargin = 6;
    constexpr double kCardHeight = (kSheetHeight - kTopMargin - kTitleHeight - kBottomMargin) / kCartellePerSerie;
    constexpr double kCellWidth = 16;
    constexpr double kCellHeight = 14; // a coin covers a number
    constexpr double kGridWidth = kColumns * kCellWidth;
    constexpr double kGridHeight = kRows * kCellHeight;
    constexpr double kPadding = (kCardHeight - kGridHeight) / 2;
    constexpr int kPdfResolution = 300;

    const QColor kInk = Qt::black;
    const QColor kGridLine(0x99, 0x99, 0x99);
    const QColor kEmptyCell(0xee, 0xee, 0xee);
    const QColor kCutLine(0x55, 0x55, 0x55);
    const QColor kQuiet(0x44, 0x44, 0x44);

    QFont sheetFont(double pixelSize, bool bold)
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(qMax(1, qRound(pixelSize)));
        font.setBold(bold);
        return font;
    }

    // Millimetres from the sheet's top left corner, scaled to the painter's units.
    struct Sheet {
        Sheet(QPainter &painter, const QRectF &page)
            : painter(painter), mm(qMin(page.width() / kSheetWidth, page.height() / kSheetHeight)),
              origin(page.center() - QPointF(kSheetWidth, kSheetHeight) * mm / 2)
        {
        }

        QPointF point(double x, double y) const { return origin + QPointF(x, y) * mm; }
        QRectF rect(double x, double y, double width, double height) const
        {
            return QRectF(point(x, y), QSizeF(width, height) * mm);
        }
        void line(double x1, double y1, double x2, double y2) { painter.drawLine(point(x1, y1), point(x2, y2)); }
        void setPen(const QColor &color, double width, Qt::PenStyle style = Qt::SolidLine)
        {
            QPen pen(color, width * mm, style, Qt::FlatCap, Qt::MiterJoin);
            if (style == Qt::CustomDashLine)
                pen.setDashPattern({6, 4}); // in pen widths: 1.8 mm dashes
            painter.setPen(pen);
        }
        void setFont(double heightInMm, bool bold) { painter.setFont(sheetFont(heightInMm * mm, bold)); }

        QPainter &painter;
        const double mm;
        const QPointF origin;
    };

    void paintCutLines(Sheet &sheet)
    {
        sheet.setPen(kCutLine, 0.3, Qt::CustomDashLine);
        const double top = kTopMargin + kTitleHeight;
        const double bottom = kSheetHeight - kBottomMargin;
        for (int i = 0; i <= kCartellePerSerie; ++i)
            sheet.line(kSideMargin, top + i * kCardHeight, kSheetWidth - kSideMargin, top + i * kCardHeight);
        for (double x : {kSideMargin, kSheetWidth - kSideMargin})
            sheet.line(x, top, x, bottom);
    }

    // The code on the left, the grid on the right.
    void paintCartella(Sheet &sheet, double top, CartellaId id, const Grid &grid)
    {
        const double gridLeft = kSheetWidth - kSideMargin - kPadding - kGridWidth;
        const double gridTop = top + kPadding;
        const double labelLeft = kSideMargin + kPadding;
        const QRectF label = sheet.rect(labelLeft, gridTop, gridLeft - labelLeft - kPadding, kGridHeight);
        sheet.painter.setPen(kQuiet);
        sheet.setFont(3.2, false);
        sheet.painter.drawText(label, Qt::AlignLeft | Qt::AlignTop, kCardCaption);
        sheet.painter.drawText(label, Qt::AlignLeft | Qt::AlignBottom, kCardDetail.arg(id.serie).arg(id.cartella));
        sheet.painter.setPen(kInk);
        sheet.setFont(7.5, true);
        sheet.painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, printedCode(id));

        sheet.setFont(9, true);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                const QRectF cell =
                    sheet.rect(gridLeft + c * kCellWidth, gridTop + r * kCellHeight, kCellWidth, kCellHeight);
                if (grid[r][c] == 0)
                    sheet.painter.fillRect(cell, kEmptyCell);
                else
                    sheet.painter.drawText(cell, Qt::AlignCenter, QString::number(grid[r][c]));
            }

        sheet.setPen(kGridLine, 0.3);
        for (int c = 1; c < kColumns; ++c)
            sheet.line(gridLeft + c * kCellWidth, gridTop, gridLeft + c * kCellWidth, gridTop + kGridHeight);
        for (int r = 1; r < kRows; ++r)
            sheet.line(gridLeft, gridTop + r * kCellHeight, gridLeft + kGridWidth, gridTop + r * kCellHeight);
        sheet.setPen(kInk, 0.6);
        sheet.painter.drawRect(sheet.rect(gridLeft, gridTop, kGridWidth, kGridHeight));
    }

} // namespace

void paintSerie(QPainter &painter, const QRectF &page, int serie)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(page, Qt::white);
    Sheet sheet(painter, page);

    const QRectF titleLine = sheet.rect(kSideMargin, kTopMargin, kSheetWidth - 2 * kSideMargin, kTitleHeight - 1);
    painter.setPen(kInk);
    sheet.setFont(4.2, true);
    painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter, kTitle.arg(serie));
    painter.setPen(kQuiet);
    sheet.setFont(3.2, false);
    painter.drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, kCutHint);

    paintCutLines(sheet);
    const Serie cartelle = generateSerie(serie);
    for (int i = 0; i < kCartellePerSerie; ++i)
        paintCartella(sheet, kTopMargin + kTitleHeight + i * kCardHeight, {serie, i + 1}, cartelle[i]);
    painter.restore();
}

void paintSeries(QPainter &painter, QPagedPaintDevice &device, int from, int to)
{
    const QRectF sheet(0, 0, device.width(), device.height());
    for (int serie = from; serie <= to; ++serie) {
        if (serie > from)
            device.newPage();
        paintSerie(painter, sheet, serie);
    }
}

QString serieRangeError(int from, int to)
{
    if (from < kFirstSerie || to > kLastSerie || to < kFirstSerie || from > kLastSerie)
        return kOutOfRange.arg(kFirstSerie).arg(kLastSerie);
    if (from > to)
        return kReversed.arg(from).arg(to);
    return {};
}

bool writeCartellePdf(const QString &path, int from, int to, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (const QString wrong = serieRangeError(from, to); !wrong.isEmpty())
        return fail(wrong);
    SafeSaveFile file(path);
    if (!file.open())
        return fail(kCannotWrite.arg(path, file.error()));
    {
        QPdfWriter writer(file.device());
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(kPdfTitle.arg(from).arg(to));
        writer.setCreator(kCardCaption);
        QPainter painter(&writer);
        paintSeries(painter, writer, from, to);
    }
    if (!file.commit())
        return fail(kCannotWrite.arg(path, file.error()));
    return true;
}

} // namespace cartelle
