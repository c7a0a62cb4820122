// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// Large texts (the board's numbers, the last number, the banner) are drawn from pictures.
// Qt draws a glyph bigger than its glyph cache allows (64 px) from its outline at every
// paint, which is slow at full screen; raising that limit instead loses the big glyphs
// altogether on X11's raster path. So each text is filled as a path once per font, colour
// and device pixel ratio, and every later paint only copies the picture. The boards keep
// their own picture of the whole board, so their numbers are made for that picture alone.
namespace textpicture {

// Draws text centred in rect, as QPainter::drawText with Qt::AlignCenter places it.
void drawCentred(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &colour);

// The same picture made for this one paint and kept nowhere: safe on any thread, given a font
// no other thread is using.
void drawCentredOnce(
    QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &colour);

// The size drawText would give the text's line box.
QSizeF lineSize(const QString &text, const QFont &font);

} // namespace textpicture
