#include "game/saved_draw.h"

#include <QStringList>

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

SavedDraw SavedDraw::of(const GameState &state)
{
    SavedDraw saved;
    saved.prize = state.prize;
    saved.cartellaInPlay = state.cartellaInPlay;
    for (int i = 0; i < tabellone::kCells; ++i)
        if (state.cells[i].drawn)
            saved.drawnCells.push_back(i);
    return saved;
}

QString SavedDraw::text() const
{
    QString out;
    out.reserve(22 + 3 * int(drawnCells.size()));
    for (int value : prize)
        out += QString::number(value) + QLatin1Char('-');
    for (bool inPlay : cartellaInPlay)
        out += (inPlay ? QStringLiteral("1-") : QStringLiteral("0-"));
    for (int cell : drawnCells)
        out += QString::number(cell) + QLatin1Char('-');
    return out;
}

std::optional<SavedDraw> SavedDraw::parse(const QString &text)
{
    const QStringList items = text.split(QLatin1Char('-'));
    constexpr int kFixedItems = tabellone::kPrizes + tabellone::kCartelle;
    // Every item is followed by "-", so the split ends with one empty item.
    if (items.size() < kFixedItems + 1 || !items.last().isEmpty())
        return std::nullopt;

    SavedDraw saved;
    for (int i = 0; i < tabellone::kPrizes; ++i) {
        const auto value = smallNumber(items[i]);
        if (!value || *value > 2)
            return std::nullopt;
        saved.prize[i] = *value;
    }
    for (int k = 0; k < tabellone::kCartelle; ++k) {
        const QString &flag = items[tabellone::kPrizes + k];
        if (flag != QLatin1String("0") && flag != QLatin1String("1"))
            return std::nullopt;
        saved.cartellaInPlay[k] = flag == QLatin1String("1");
    }
    std::array<bool, tabellone::kCells> seen{};
    for (int i = kFixedItems; i < items.size() - 1; ++i) {
        const auto cell = smallNumber(items[i]);
        if (!cell || *cell >= tabellone::kCells || seen[*cell])
            return std::nullopt;
        seen[*cell] = true;
        saved.drawnCells.push_back(*cell);
    }
    return saved;
}
