// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening_record.h"

#include <QRegularExpression>
#include <QStringList>
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

} // namespace evening
