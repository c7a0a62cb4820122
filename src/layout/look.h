// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>

// The colours and pictures of the tabellone and the caller's window.
namespace look {

inline const QColor kTableGreen(0, 64, 0);
inline const QColor kDrawnRed(255, 0, 0);
inline const QColor kLastNumberGreen(128, 255, 128);
inline const QColor kSmorfiaSalmon(255, 192, 128);
inline const QColor kBannerYellow(255, 255, 0);
inline const QColor kLeftOutRed(255, 0, 0);
inline const QColor kCartellaInPlay(255, 224, 192);
inline const QColor kCartellaLeftOut(255, 192, 128);
inline const QString kPaperLight = QStringLiteral(":/paper_light.png");
inline const QString kPaperDark = QStringLiteral(":/paper_dark.png");

} // namespace look
