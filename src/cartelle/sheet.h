// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;

// Printed sheets of cartelle: one serie to an A4 page, portrait.
namespace cartelle {

// Paints serie k on the whole A4 sheet `page`, in the painter's coordinates (any unit:
// the sheet's width is taken as 210 mm): a title line and the six cartelle with their
// codes, between dashed cut lines, cells of 16 x 14 mm.
void paintSerie(QPainter &painter, const QRectF &page, int serie);

// Series `from` to `to`, one a page, on a printer or PDF writer that `painter` is open on
// and whose painting area is the whole sheet.
void paintSeries(QPainter &painter, QPagedPaintDevice &device, int from, int to);

// Why `from`-`to` is not a range of series to print, or an empty text when it is.
QString serieRangeError(int from, int to);

// Writes series `from` to `to` to a PDF file, replacing it only once complete. On failure
// returns false and says why in `error`.
bool writeCartellePdf(const QString &path, int from, int to, QString *error);

} // namespace cartelle
