// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/audio_clip.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The family's own voice: a take for each number and one of the phrase said before a number
// after a pause, kept as FLAC files in the data folder.
namespace recordings {

// Takes 1 to 90 are the numbers, take 0 the phrase.
constexpr int kPhrase = 0;
constexpr int kTakes = 91;

// $XDG_DATA_HOME/Vellucario/voce (~/.local/share/Vellucario/voce).
QString folder();
// "1.flac" … "90.flac", "numero.flac".
QString fileName(int take);
QString path(int take);

// Every take that reads, at `rate`; the files that are there and do not read, each with why.
struct Loaded {
    std::array<std::optional<AudioClip>, kTakes> takes;
    QStringList unreadable;
    int count() const;
};
Loaded loadAll(int rate);

} // namespace recordings
