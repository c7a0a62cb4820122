// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>

#include "layout/board_layout.h"

// The window's fonts, by the names it was drawn with, then their metric twins on Linux.
inline const QStringList kArial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
inline const QStringList kTimes{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
inline const QStringList kSansSerif{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")};
inline const QStringList kTerminal{
    QStringLiteral("Terminal"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")};
QFont fontOf(const QStringList &families, qreal points, bool bold = false);

// Design positions on the caller's window, in twips, kept at every size and density.
void placeInTwips(QWidget *widget, const TwipsRect &place);
// Shrinks by zoom, from their design places, fonts and style sizes, the children of parent
// placed within the control column; 1 gives back the design.
void zoomColumnPlaces(QWidget *parent, float zoom);

// A hand pointer from one of the window's pictures.
QCursor handCursor(const QString &path);

// The maker's logo from its drawn sizes, with no vector renderer at start-up: the sizes up to
// the first that covers `side` pixels on the screen, all of them by default.
QIcon logoIcon(int side = 256);

// Sets a control's text colour and, when given, its opaque background.
void paintText(QWidget *widget, const QColor &text, const QColor &back = QColor());
