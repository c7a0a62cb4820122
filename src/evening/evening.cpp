// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening.h"

#include "caller/caller.h"
#include "caller/stored.h"
#include "cartelle/claim.h"
#include "platform/settings_store.h"

#include <QRegularExpression>
#include <algorithm>

using namespace evening;

namespace {

// A claim confirmed: its prize, and whether it shares one won with the last number.
struct ClaimedPrize {
    int prize;
    bool shared;
};

std::array<bool, board::kCells> drawnOf(const Game &game)
{
    std::array<bool, board::kCells> drawn{};
    for (int i = 0; i < board::kCells; ++i)
        drawn[i] = game.cell(i).drawn;
    return drawn;
}

std::optional<ClaimedPrize> claimedPrize(
    const Game &game, const RecordedGame *recorded, const cartelle::Grid &cartella, const QString &code = {})
{
    const auto drawn = drawnOf(game);
    const auto holds = [&](int prize) {
        return cartelle::checkClaim(cartella, drawn, prize == kTombolino ? board::kTombola : prize).holdsPrizeInPlay;
    };
    const int inPlay = game.prizeInPlay();
    if (inPlay >= 0 && !game.over() && holds(inPlay))
        return ClaimedPrize{inPlay, false};
    // Two claims made by the same number share its prize, the best one first; a cartella
    // already confirmed for it is not counted twice.
    const auto wonNow = [&](int prize, const QString &byCode) {
        return std::ranges::any_of(recorded->winners, [&](const Winner &w) {
            return w.prize == prize && !w.withdrawn && w.countOut == game.drawnCount() &&
                   (byCode.isEmpty() || w.code == byCode);
        });
    };
    if (recorded && game.drawnCount() > 0)
        for (int prize = kTombolino; prize >= 0; --prize)
            if (wonNow(prize, {}) && (code.isEmpty() || !wonNow(prize, code)) && holds(prize))
                return ClaimedPrize{prize, true};
    if (game.tombolinoPlayed() && game.tombolaOut() && !game.tombolinoOut() && holds(kTombolino))
        return ClaimedPrize{kTombolino, false};
    return std::nullopt;
}

QString cleanCode(const QString &code)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9A-Z-]{1,%1}$").arg(kMaxCode));
    return shape.match(code).hasMatch() ? code : QString();
}

} // namespace

Evening::Evening(Caller &caller, SettingsStore &store, WallClock now)
    : caller_(caller), store_(store), now_(std::move(now))
{
    // A damaged record is left behind: the evening goes on with an empty one.
    if (const auto kept = EveningRecord::parse(stored::read(store_, stored::kEveningRecord)))
        record_ = *kept;
    connect(&caller_, &Caller::changed, this, [this] {
        if (follow())
            saveRecord();
    });
    connect(&caller_, &Caller::prizesChecked, this, &Evening::onPrizesChecked);
    connect(&caller_, &Caller::prizeDeclared, this, &Evening::onPrizeDeclared);
    connect(&caller_, &Caller::numberWithdrawn, this, &Evening::onNumberWithdrawn);
    connect(&caller_, &Caller::newGameStarted, this, [this] {
        if (RecordedGame *game = currentGame()) {
            game->closed = true;
            saveRecord();
        }
    });
}

RecordedGame *Evening::currentGame()
{
    return record_.games.isEmpty() || record_.games.last().closed ? nullptr : &record_.games.last();
}

RecordedGame &Evening::openGame()
{
    if (RecordedGame *game = currentGame())
        return *game;
    if (record_.games.size() == kMaxGames)
        record_.games.removeFirst();
    record_.games.append(RecordedGame{now_(), {}, {}, false});
    return record_.games.last();
}

// Brings the current game's numbers in line with the board: a number drawn, one taken
// back, or, when the board holds another game (a reload), that game as a new one.
bool Evening::follow()
{
    const QList<int> &live = caller_.game().drawOrder();
    RecordedGame *game = currentGame();
    const QList<int> recorded = game ? game->liveOrder() : QList<int>{};
    if (live == recorded || live.isEmpty())
        return false;
    const auto append = [](RecordedGame &into, const QList<int> &numbers) {
        for (int n : numbers) {
            // Room is made by forgetting the oldest number taken back.
            if (into.draws.size() == kMaxDraws) {
                const auto taken = std::ranges::find_if(into.draws, [](const Draw &d) { return d.withdrawn; });
                into.draws.erase(taken == into.draws.end() ? into.draws.begin() : taken);
            }
            into.draws.append(Draw{n, false});
        }
    };
    if (game && live.size() > recorded.size() && live.first(recorded.size()) == recorded) {
        append(*game, live.mid(recorded.size()));
        return true;
    }
    if (game && live.size() == recorded.size() - 1) {
        for (qsizetype i = game->draws.size() - 1; i >= 0; --i) {
            Draw &draw = game->draws[i];
            if (!draw.withdrawn && !live.contains(draw.number)) {
                draw.withdrawn = true;
                if (game->liveOrder() == live)
                    return true;
                draw.withdrawn = false;
                break;
            }
        }
    }
    if (game)
        game->closed = true;
    append(openGame(), live);
    return true;
}

void Evening::addWinner(int prize, const QString &name, const QString &code)
{
    follow();
    RecordedGame &game = openGame();
    if (game.winners.size() == kMaxWinners)
        return;
    const QList<int> &live = caller_.game().drawOrder();
    game.winners.append(Winner{prize, name, code, live.isEmpty() ? 0 : live.last(), int(live.size()), false});
}

void Evening::onPrizesChecked(const PrizeCheck &found)
{
    const QString owner = cleanName(caller_.ownerName());
    for (const RowPrize &row : found.rows)
        addWinner(row.prize, owner);
    // The tombola is called again at every check while a cartella is full: recorded once.
    const auto ownersTombola = [&] {
        const RecordedGame *game = currentGame();
        return game && std::ranges::any_of(game->winners, [&](const Winner &w) {
            return w.prize == board::kTombola && !w.withdrawn && w.code.isEmpty() && w.name == owner;
        });
    };
    if (found.fullCartelle > 0 && !ownersTombola())
        addWinner(board::kTombola, owner);
    if (found.tombolino)
        addWinner(kTombolino, owner);
    if (!found.rows.isEmpty() || found.fullCartelle > 0 || found.tombolino) {
        saveRecord();
        emit changed();
    }
}

void Evening::onPrizeDeclared(int prize, bool tombolino)
{
    const auto [name, code] = claimant_.value_or(std::pair{kInTheRoom, QString()});
    addWinner(tombolino ? kTombolino : prize, name, code);
    saveRecord();
    emit changed();
}

void Evening::onNumberWithdrawn()
{
    if (RecordedGame *game = currentGame()) {
        const qsizetype countBefore = game->liveOrder().size();
        for (Winner &w : game->winners)
            if (w.countOut == countBefore)
                w.withdrawn = true;
    }
    follow();
    saveRecord();
    emit changed();
}

std::optional<int> Evening::claimablePrize(const cartelle::Grid &cartella, const QString &code) const
{
    const RecordedGame *game = record_.games.isEmpty() || record_.games.last().closed ? nullptr : &record_.games.last();
    const auto claimed = claimedPrize(caller_.game(), game, cartella, cleanCode(code));
    return claimed ? std::optional<int>(claimed->prize) : std::nullopt;
}

std::optional<int> Evening::confirmClaim(const cartelle::Grid &cartella, const QString &code, const QString &name)
{
    follow();
    const auto claimed = claimedPrize(caller_.game(), currentGame(), cartella, cleanCode(code));
    if (!claimed)
        return std::nullopt;
    QString player = cleanName(name, kMaxClaimName);
    if (player.isEmpty())
        player = kInTheRoom;
    if (claimed->shared) {
        addWinner(claimed->prize, player, cleanCode(code));
        caller_.say(kSharedPrize);
        saveRecord();
        emit changed();
    } else {
        claimant_ = {player, cleanCode(code)};
        caller_.declarePrizeWon(claimed->prize == kTombolino ? board::kTombola : claimed->prize);
        claimant_.reset();
    }
    return claimed->prize;
}

void Evening::nameWinner(int game, int winner, const QString &name)
{
    if (game < 0 || game >= record_.games.size() || winner < 0 || winner >= record_.games[game].winners.size())
        return;
    const QString clean = cleanName(name, kMaxClaimName);
    record_.games[game].winners[winner].name = clean.isEmpty() ? kInTheRoom : clean;
    saveRecord();
    emit changed();
}

void Evening::startNewEvening()
{
    record_ = {};
    saveRecord();
    emit changed();
}

void Evening::saveRecord()
{
    QString text = record_.text();
    // The oldest games make room; one game always fits.
    while (text.size() > kMaxTextChars && record_.games.size() > 1) {
        record_.games.removeFirst();
        text = record_.text();
    }
    stored::write(store_, stored::kEveningRecord, text);
}
