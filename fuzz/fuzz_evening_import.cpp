// SPDX-License-Identifier: GPL-3.0-or-later
// The evening's record older versions kept in the settings file, read back game by game at
// its import: whatever the text, the games kept are within their bounds, and the events the
// database would store for them replay without fault.
#include "evening/evening_record.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto [record, whole] = evening::EveningRecord::parsePartly(text);
    if (whole != evening::EveningRecord::parse(text).has_value() || record.games.size() > evening::kMaxGames)
        std::abort();
    for (const evening::RecordedGame &game : record.games) {
        if (game.draws.size() > evening::kMaxDraws || game.winners.size() > evening::kMaxWinners)
            std::abort();
        evening::EveningRecord rebuilt;
        for (const evening::Event &event : evening::eventsOf(evening::EveningRecord{{game}}))
            evening::apply(rebuilt, event);
        if (rebuilt.games.size() != 1)
            std::abort();
    }
    return 0;
}
