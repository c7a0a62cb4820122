// `Settaggio` on any stored options, one value a line in the order of `keyOrder`; lines
// missing at the end are keys never written. Every box must end in a value it takes, a
// value the box does not take must leave it as it was, and the captions follow the values.
#include "announcer/settings.h"
#include "fakes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace tabellone;

namespace {

const QString keyOrder[] = {"Ambo", "Terno", "Quaterna", "Cinquina", "Scandito", "Smorfia"};

void require(bool holds, const char *what, const QString &input)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_options: %s\ninput: %s\n", what, qPrintable(input));
    std::abort();
}

// A whole number in decimal, blanks around it allowed, that a check box takes (0, 1 or 2).
std::optional<int> acceptable(const QString &text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].isSpace())
        ++from;
    while (to > from && text[to - 1].isSpace())
        --to;
    const bool negative = from < to && text[from] == u'-';
    if (from < to && (text[from] == u'+' || negative))
        ++from;
    if (from == to)
        return std::nullopt;
    int value = 0;
    for (qsizetype i = from; i < to; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        value = std::min(value * 10 + (text[i].unicode() - '0'), 1000);
    }
    return value <= 2 && (!negative || value == 0) ? std::optional<int>(value) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = input.split(u'\n');
    MemoryStore store;
    for (int k = 0; k < 6 && k < lines.size(); ++k)
        store.values[keyOrder[k]] = lines[k];
    const QMap<QString, QString> stored = store.values;

    // The boxes before loading, taken from the input's first bytes.
    GameState state;
    for (int i = 0; i < kPrizes; ++i)
        state.prize[i] = size > size_t(i) ? data[i] % 3 : 0;
    state.scandito = size > 5 ? data[5] % 3 : 0;
    state.smorfia = size > 6 ? data[6] % 3 : 0;
    state.prizeRed = {true, false, true, false, true};
    const GameState before = state;

    FakeVoice voice;
    Settings settings(state, store, voice);
    settings.Settaggio();

    int *boxes[] = {&state.prize[0], &state.prize[1], &state.prize[2], &state.prize[3],
                    &state.scandito, &state.smorfia};
    const int wasBefore[] = {before.prize[0], before.prize[1], before.prize[2], before.prize[3],
                             before.scandito, before.smorfia};
    for (int k = 0; k < 6; ++k) {
        const int value = *boxes[k];
        require(value >= 0 && value <= 2, "a box holds a value it does not take", input);
        const auto wanted = stored.contains(keyOrder[k]) ? acceptable(stored[keyOrder[k]]) : 0;
        require(value == (wanted ? *wanted : wasBefore[k]), "a box did not load as stored", input);
    }
    for (int i = 0; i < kTombola; ++i)
        require(state.prizeRed[i] == (state.prize[i] == 1), "a caption colour disagrees", input);
    require(state.prize[kTombola] == before.prize[kTombola] && state.prizeRed[kTombola],
            "the tombola box was touched", input);
    require(voice.spoken.isEmpty(), "loading spoke", input);
    // Only "Scandito" and "Smorfia" are written back, and only when loading changed them.
    for (const QString &key : store.values.keys()) {
        const int k = int(std::find(std::begin(keyOrder), std::end(keyOrder), key) - keyOrder);
        const bool changed = k >= 4 && k < 6 && *boxes[k] != wasBefore[k];
        require(store.values[key] == (changed ? QString::number(*boxes[k]) : stored.value(key)),
                "the store holds something loading did not mean to write", input);
    }
    return 0;
}
