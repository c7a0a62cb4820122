// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The title the smorfia line shows before the first number of a game.
inline const QString kSmorfiaTitle = QStringLiteral("La smorfia napoletana");

// The meaning of a number, 1 to 90, in the Neapolitan smorfia.
QString smorfiaOf(int number);
