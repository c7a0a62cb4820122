// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/saved_game.h"

#include <QStringList>
#include <algorithm>

using namespace board;

namespace {

// A whole number written with 1 to 3 decimal digits and nothing else.
std::optional<int> smallNumber(const QString &item)
{
    if (item.isEmpty() || item.size() > 3)
        return std::nullopt;
    int value = 0;
    for (QChar ch : item) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

} // namespace

QString SavedGame::text() const
{
    QString out;
    for (PrizeBox box : prizes)
        out += QString::number(int(box)) + QLatin1Char('-');
    for (bool inPlay : cartellaInPlay)
        out += inPlay ? QStringLiteral("1-") : QStringLiteral("0-");
    QList<int> cells;
    for (int number : order)
        cells << cellOf(number);
    std::sort(cells.begin(), cells.end());
    for (int cell : cells)
        out += QString::number(cell) + QLatin1Char('-');
    return out;
}

QString SavedGame::orderText() const
{
    QStringList items;
    for (int number : order)
        items << QString::number(number);
    return items.join(QLatin1Char('-'));
}

QString SavedGame::tombolinoText() const
{
    return QStringLiteral("%1-%2").arg(tombolinoOut ? 1 : 0).arg(fullAtTombola);
}

std::optional<SavedGame> SavedGame::parse(const QString &text, const QString &orderText, const QString &tombolinoText)
{
    const QStringList items = text.split(QLatin1Char('-'));
    constexpr int kFixedItems = kPrizes + kCartelle;
    // Every item is followed by "-", so the split ends with one empty item.
    if (items.size() < kFixedItems + 1 || !items.last().isEmpty())
        return std::nullopt;

    SavedGame saved;
    for (int prize = 0; prize < kPrizes; ++prize) {
        const auto value = smallNumber(items[prize]);
        if (!value || *value > int(PrizeBox::Grey))
            return std::nullopt;
        saved.prizes[prize] = PrizeBox(*value);
    }
    for (int k = 0; k < kCartelle; ++k) {
        const QString &flag = items[kPrizes + k];
        if (flag != QLatin1String("0") && flag != QLatin1String("1"))
            return std::nullopt;
        saved.cartellaInPlay[k] = flag == QLatin1String("1");
    }
    std::array<bool, kCells> out{};
    for (int i = kFixedItems; i < items.size() - 1; ++i) {
        const auto cell = smallNumber(items[i]);
        if (!cell || *cell >= kCells || out[*cell])
            return std::nullopt;
        out[*cell] = true;
    }
    for (const QString &item : orderText.split(QLatin1Char('-'), Qt::SkipEmptyParts)) {
        const auto number = smallNumber(item);
        if (number && *number >= 1 && *number <= kCells && std::exchange(out[cellOf(*number)], false))
            saved.order << *number;
    }
    for (int cell = 0; cell < kCells; ++cell)
        if (out[cell])
            saved.order << numberOf(cell);
    const QStringList tombolino = tombolinoText.split(QLatin1Char('-'));
    if (tombolino.size() == 2 && smallNumber(tombolino[0]) && smallNumber(tombolino[1])) {
        saved.tombolinoOut = tombolino[0] == QLatin1String("1");
        saved.fullAtTombola = std::min(*smallNumber(tombolino[1]), kCartelle);
    }
    return saved;
}
