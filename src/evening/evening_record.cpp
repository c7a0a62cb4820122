// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening_record.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>

namespace evening {

namespace {

    const QString kHeader = QStringLiteral("Serata 1");
    const QString kTombolinoName = QStringLiteral("Tombolino");
    const QChar kGameTag = QLatin1Char('P');
    const QChar kDrawsTag = QLatin1Char('E');
    const QChar kWinnerTag = QLatin1Char('V');
    const QChar kWithdrawnMark = QLatin1Char('-');
    const QString kNoCode = QStringLiteral("-");

    // A whole number from 0 to max written with plain digits, or -1.
    int boundedNumber(const QString &item, int max)
    {
        if (item.isEmpty() || item.size() > 3)
            return -1;
        int value = 0;
        for (QChar ch : item) {
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return -1;
            value = value * 10 + (ch.unicode() - '0');
        }
        return value <= max ? value : -1;
    }

    bool validCode(const QString &code)
    {
        static const QRegularExpression shape(QStringLiteral("^[0-9A-Z-]{1,%1}$").arg(kMaxCode));
        return shape.match(code).hasMatch();
    }

    std::optional<QList<Draw>> parseDraws(const QString &line)
    {
        QList<Draw> draws;
        std::array<bool, board::kCells> out{};
        for (QString item : line.mid(2).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            Draw draw;
            draw.withdrawn = item.endsWith(kWithdrawnMark);
            if (draw.withdrawn)
                item.chop(1);
            draw.number = boundedNumber(item, board::kCells);
            // A number can be out only once at a time.
            if (draw.number < 1 || draws.size() == kMaxDraws || (!draw.withdrawn && out[draw.number - 1]))
                return std::nullopt;
            out[draw.number - 1] = out[draw.number - 1] || !draw.withdrawn;
            draws << draw;
        }
        return draws;
    }

    std::optional<Winner> parseWinner(const QString &line)
    {
        const QStringList items = line.split(QLatin1Char(' '));
        if (items.size() < 7)
            return std::nullopt;
        Winner winner;
        winner.prize = boundedNumber(items[1], kPrizeKinds - 1);
        winner.number = boundedNumber(items[2], board::kCells);
        winner.countOut = boundedNumber(items[3], board::kCells);
        if (winner.prize < 0 || winner.number < 0 || winner.countOut < 0 || (items[4] != "0" && items[4] != "1"))
            return std::nullopt;
        winner.withdrawn = items[4] == QLatin1String("1");
        if (items[5] != kNoCode) {
            if (!validCode(items[5]))
                return std::nullopt;
            winner.code = items[5];
        }
        winner.name = items.mid(6).join(QLatin1Char(' '));
        if (winner.name.isEmpty() || cleanName(winner.name) != winner.name)
            return std::nullopt;
        return winner;
    }

} // namespace

QString prizeName(int prize) { return prize == kTombolino ? kTombolinoName : board::kPrizeNames[prize]; }

QString cleanName(const QString &name, int max)
{
    QString clean;
    for (QChar ch : name)
        clean += ch.category() == QChar::Other_Control || ch.category() == QChar::Separator_Line ||
                         ch.category() == QChar::Separator_Paragraph
                     ? QLatin1Char(' ')
                     : ch;
    return clean.simplified().left(max);
}

QList<int> RecordedGame::liveOrder() const
{
    QList<int> order;
    for (const Draw &draw : draws)
        if (!draw.withdrawn)
            order << draw.number;
    return order;
}

QString EveningRecord::text() const
{
    QStringList lines{kHeader};
    for (const RecordedGame &game : games) {
        lines << QStringLiteral("%1 %2 %3").arg(kGameTag, game.start.toString(Qt::ISODate)).arg(game.closed ? 1 : 0);
        QStringList draws{kDrawsTag};
        for (const Draw &draw : game.draws)
            draws << QString::number(draw.number) + (draw.withdrawn ? QString(kWithdrawnMark) : QString());
        lines << draws.join(QLatin1Char(' '));
        for (const Winner &w : game.winners)
            lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(kWinnerTag)
                         .arg(w.prize)
                         .arg(w.number)
                         .arg(w.countOut)
                         .arg(w.withdrawn ? 1 : 0)
                         .arg(w.code.isEmpty() ? kNoCode : w.code, w.name);
    }
    return lines.join(QLatin1Char('\n'));
}

std::optional<EveningRecord> EveningRecord::parse(const QString &text)
{
    if (text.size() > kMaxTextChars)
        return std::nullopt;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.first() != kHeader)
        return std::nullopt;
    EveningRecord record;
    bool drawsExpected = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const QChar tag = line.isEmpty() ? QChar() : line[0];
        if (line.size() > 1 && line[1] != QLatin1Char(' '))
            return std::nullopt;
        if (tag == kGameTag && !drawsExpected) {
            const QStringList items = line.split(QLatin1Char(' '));
            if (items.size() != 3 || (items[2] != "0" && items[2] != "1") || record.games.size() == kMaxGames)
                return std::nullopt;
            RecordedGame game;
            game.start = QDateTime::fromString(items[1], Qt::ISODate);
            if (!game.start.isValid())
                return std::nullopt;
            game.closed = items[2] == QLatin1String("1");
            record.games << game;
            drawsExpected = true;
        } else if (tag == kDrawsTag && drawsExpected) {
            const auto draws = parseDraws(line);
            if (!draws)
                return std::nullopt;
            record.games.last().draws = *draws;
            drawsExpected = false;
        } else if (tag == kWinnerTag && !drawsExpected && !record.games.isEmpty() &&
                   record.games.last().winners.size() < kMaxWinners) {
            const auto winner = parseWinner(line);
            if (!winner)
                return std::nullopt;
            record.games.last().winners << *winner;
        } else {
            return std::nullopt;
        }
    }
    if (drawsExpected)
        return std::nullopt;
    return record;
}

EveningRecord::Partly EveningRecord::parsePartly(const QString &text)
{
    if (const auto whole = parse(text))
        return {*whole, true};
    // Each game is read on its own: the damaged ones are left out, the others kept.
    Partly partly;
    const QStringList lines = text.left(kMaxTextChars * 10).split(QLatin1Char('\n'));
    QStringList block;
    const auto readBlock = [&] {
        if (block.isEmpty())
            return;
        const auto game = parse(kHeader + QLatin1Char('\n') + block.join(QLatin1Char('\n')));
        if (game && game->games.size() == 1 && partly.record.games.size() < kMaxGames)
            partly.record.games << game->games.first();
        block.clear();
    };
    for (qsizetype i = lines.first() == kHeader ? 1 : 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(kGameTag))
            readBlock();
        block << lines[i];
    }
    readBlock();
    return partly;
}

bool apply(EveningRecord &record, const Event &event)
{
    RecordedGame *game = record.games.isEmpty() || record.games.last().closed ? nullptr : &record.games.last();
    switch (event.kind) {
    case Event::EveningStarted: record = {}; return true;
    case Event::GameStarted:
        if (!event.at.isValid())
            return false;
        if (game)
            game->closed = true;
        if (record.games.size() == kMaxGames) {
            record.games.removeFirst();
            ++record.droppedGames;
        }
        record.games.append(RecordedGame{event.at, {}, {}, false});
        return true;
    case Event::GameEnded:
        if (game)
            game->closed = true;
        return game;
    case Event::NumberDrawn: {
        if (!game || event.number < 1 || event.number > board::kCells || game->liveOrder().contains(event.number))
            return false;
        // Room is made by forgetting the oldest number taken back.
        if (game->draws.size() == kMaxDraws) {
            const auto taken = std::ranges::find_if(game->draws, [](const Draw &d) { return d.withdrawn; });
            game->draws.erase(taken == game->draws.end() ? game->draws.begin() : taken);
        }
        game->draws.append(Draw{event.number, false});
        return true;
    }
    case Event::NumberTakenBack:
        if (game)
            for (qsizetype i = game->draws.size() - 1; i >= 0; --i)
                if (game->draws[i].number == event.number && !game->draws[i].withdrawn) {
                    game->draws[i].withdrawn = true;
                    return true;
                }
        return false;
    case Event::PrizeWon: {
        const bool fits = game && game->winners.size() < kMaxWinners && event.prize >= 0 && event.prize < kPrizeKinds &&
                          event.number >= 0 && event.number <= board::kCells && event.countOut >= 0 &&
                          event.countOut <= board::kCells && !event.name.isEmpty() &&
                          cleanName(event.name) == event.name && (event.code.isEmpty() || validCode(event.code));
        if (fits)
            game->winners.append(Winner{event.prize, event.name, event.code, event.number, event.countOut, false});
        return fits;
    }
    case Event::PrizeTakenBack:
        if (!game || event.winner < 0 || event.winner >= game->winners.size())
            return false;
        game->winners[event.winner].withdrawn = true;
        return true;
    case Event::WinnerNamed: {
        const int index = event.game - record.droppedGames;
        if (index < 0 || index >= record.games.size() || event.winner < 0 ||
            event.winner >= record.games[index].winners.size() || event.name.isEmpty() ||
            cleanName(event.name, kMaxClaimName) != event.name)
            return false;
        record.games[index].winners[event.winner].name = event.name;
        return true;
    }
    }
    return false;
}

QList<Event> eventsOf(const EveningRecord &record)
{
    QList<Event> events;
    for (const RecordedGame &game : record.games) {
        events << Event{.kind = Event::GameStarted, .at = game.start};
        // Ctrl+Z takes back the last number out: right after it came.
        for (const Draw &draw : game.draws) {
            events << Event{.kind = Event::NumberDrawn, .at = game.start, .number = draw.number};
            if (draw.withdrawn)
                events << Event{.kind = Event::NumberTakenBack, .at = game.start, .number = draw.number};
        }
        for (qsizetype i = 0; i < game.winners.size(); ++i) {
            const Winner &w = game.winners[i];
            events << Event{.kind = Event::PrizeWon,
                .at = game.start,
                .number = w.number,
                .prize = w.prize,
                .countOut = w.countOut,
                .name = w.name,
                .code = w.code};
            if (w.withdrawn)
                events << Event{.kind = Event::PrizeTakenBack, .at = game.start, .winner = int(i)};
        }
        if (game.closed)
            events << Event{.kind = Event::GameEnded, .at = game.start};
    }
    return events;
}

} // namespace evening
