// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/board.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What happened in each game of one evening: the numbers as they came, those taken back,
// and every prize with who won it. The evenings' store keeps it as the events that made it;
// the text form is the record older versions kept in the settings file.
namespace evening {

// The tombolino follows the ladder's five prizes.
constexpr int kTombolino = board::kPrizes;
constexpr int kPrizeKinds = board::kPrizes + 1;
QString prizeName(int prize);

// Bounds that keep a stored record small and a damaged one harmless.
constexpr int kMaxGames = 100;
constexpr int kMaxDraws = 300;
constexpr int kMaxWinners = 60;
constexpr int kMaxName = 60; // the owner's name's bound
constexpr int kMaxClaimName = 40; // a player's, typed at a claim
constexpr int kMaxCode = 16;
// The settings file is set aside whole past 1 MiB: the record keeps well below, even with
// every character escaped.
constexpr qsizetype kMaxTextChars = 100'000;

struct Draw {
    int number = 0;
    bool withdrawn = false;
    bool operator==(const Draw &) const = default;
};

struct Winner {
    int prize = 0; // on the ladder, or kTombolino
    QString name; // never empty
    QString code; // the printed code of a confirmed claim, else empty
    int number = 0; // the number that made it (0 when declared before any)
    int countOut = 0; // the numbers out when it came, that one included
    bool withdrawn = false;
    bool operator==(const Winner &) const = default;
};

struct RecordedGame {
    QDateTime start;
    QList<Draw> draws; // in the order they came, the withdrawn ones included
    QList<Winner> winners;
    bool closed = false; // a new game followed it
    bool operator==(const RecordedGame &) const = default;

    // The numbers still out, in order.
    QList<int> liveOrder() const;
};

struct EveningRecord {
    QList<RecordedGame> games;
    int droppedGames = 0; // the oldest games forgotten past kMaxGames
    bool operator==(const EveningRecord &) const = default;

    QString text() const;
    // The record the text describes, or nothing when any line of it is damaged or over a bound.
    static std::optional<EveningRecord> parse(const QString &text);
    // Every game of the text that reads, and whether the whole text did.
    struct Partly;
    static Partly parsePartly(const QString &text);
};
struct EveningRecord::Partly {
    EveningRecord record;
    bool whole = false;
};

// One change to an evening's record, as the evenings' store keeps it.
struct Event {
    enum Kind {
        EveningStarted = 0,
        GameStarted,
        GameEnded,
        NumberDrawn,
        NumberTakenBack,
        PrizeWon,
        PrizeTakenBack,
        WinnerNamed
    };
    Kind kind = GameStarted;
    QDateTime at = {};
    int game = 0; // WinnerNamed: the game counted from the evening's first
    int winner = 0; // PrizeTakenBack, WinnerNamed: the winner counted from the game's first
    int number = 0; // NumberDrawn, NumberTakenBack, PrizeWon
    int prize = 0; // PrizeWon
    int countOut = 0; // PrizeWon
    QString name = {}; // PrizeWon, WinnerNamed
    QString code = {}; // PrizeWon
};
// The record with the event applied; false, the record untouched, when the event does not
// fit it (a damaged store): a number out twice, a prize with no game, a bound passed.
bool apply(EveningRecord &record, const Event &event);
// The events that rebuild a record from nothing, its games closed or not as they are.
QList<Event> eventsOf(const EveningRecord &record);

// A name as it is kept: no control characters, blanks trimmed, at most max characters.
QString cleanName(const QString &name, int max = kMaxName);

} // namespace evening
