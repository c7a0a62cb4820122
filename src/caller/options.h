// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"

#include <QString>
#include <array>
#include <optional>

class SettingsStore;

// The options kept from one run to the next, each the value of its box as text: "0"
// clear, "1" ticked, "2" grey. A prize ticked here is left out of every game.
namespace options {

inline const QString kScandito = QStringLiteral("Settaggio/Scandito");
inline const QString kSmorfia = QStringLiteral("Settaggio/Smorfia");
// Options the program added later have groups of their own.
inline const QString kTombolino = QStringLiteral("Opzioni/Tombolino");
inline QString prizeKey(int i) { return QStringLiteral("Settaggio/") + board::kPrizeNames[i]; }

// A stored option (0 when absent), or nothing when it is not a value a box takes.
std::optional<int> read(SettingsStore &store, const QString &key);
void write(SettingsStore &store, const QString &key, int value);

} // namespace options
