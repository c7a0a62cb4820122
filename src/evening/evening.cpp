// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening.h"

#include "caller/caller.h"
#include "caller/stored.h"
#include "cartelle/claim.h"
#include "evening/evening_store.h"
#include "platform/settings_store.h"

#include <QRegularExpression>
#include <algorithm>

using namespace evening;

namespace {

// A claim confirmed: its prize, and whether it shares one won with the same number.
struct ClaimedPrize {
    int prize;
    bool shared;
    int countOut; // the numbers out when the cartella completed it
};

// The count of numbers out when the cartella first held the prize (its best row's, or every
// number for the tombola), 0 while it does not.
int completedAt(const cartelle::Grid &cartella, const QList<int> &order, int prize)
{
    std::array<int, board::kCells + 1> at{};
    for (qsizetype i = 0; i < order.size(); ++i)
        at[order[i]] = int(i + 1);
    if (prize == board::kTombola || prize == kTombolino) {
        int last = 0, numbers = 0;
        for (const auto &row : cartella)
            for (int n : row)
                if (n > 0 && ++numbers)
                    last = at[n] == 0 ? board::kCells + 1 : std::max(last, at[n]);
        return last > board::kCells || numbers < board::kPrizeCounts[board::kTombola] ? 0 : last;
    }
    int best = 0;
    for (const auto &row : cartella) {
        QList<int> out;
        for (int n : row)
            if (n > 0 && at[n] > 0)
                out << at[n];
        std::ranges::sort(out);
        if (out.size() >= board::kPrizeCounts[prize] && (best == 0 || out[board::kPrizeCounts[prize] - 1] < best))
            best = out[board::kPrizeCounts[prize] - 1];
    }
    return best;
}

// A claim for one prize (kTombolino included), checked against that prize only.
Evening::ClaimAnswer answerFor(const Game &game, const RecordedGame *recorded, const cartelle::Grid &cartella,
    const QString &code, int prize, int *countOut = nullptr)
{
    const int completed = completedAt(cartella, game.drawOrder(), prize);
    if (countOut)
        *countOut = completed;
    if (completed == 0)
        return Evening::ClaimAnswer::NotHeld;
    if (const auto firstAt = recorded ? Evening::sharedAt(*recorded, prize) : std::nullopt) {
        const bool again = !code.isEmpty() && std::ranges::any_of(recorded->winners, [&](const Winner &w) {
            return w.prize == prize && !w.withdrawn && w.code == code;
        });
        return !again && *firstAt == completed ? Evening::ClaimAnswer::Shared : Evening::ClaimAnswer::Gone;
    }
    const bool inPlay = prize == kTombolino ? game.tombolinoPlayed() && game.tombolaOut() && !game.tombolinoOut()
                                            : !game.over() && game.prizeInPlay() == prize;
    return inPlay ? Evening::ClaimAnswer::Declared : Evening::ClaimAnswer::Gone;
}

// The tombola claimed once it is out is a claim for the tombolino, unless it shares the tombola.
int claimedKind(
    const Game &game, const RecordedGame *recorded, const cartelle::Grid &cartella, const QString &code, int prize)
{
    if (prize != board::kTombola || !game.tombolaOut() || !game.tombolinoPlayed())
        return prize;
    return answerFor(game, recorded, cartella, code, prize) == Evening::ClaimAnswer::Shared ? prize : kTombolino;
}

// The prize a cartella checked at the table wins: the one in play, else one it shares.
std::optional<ClaimedPrize> claimedPrize(
    const Game &game, const RecordedGame *recorded, const cartelle::Grid &cartella, const QString &code = {})
{
    int count = 0;
    const int inPlay = game.tombolinoPlayed() && game.tombolaOut() ? kTombolino : game.prizeInPlay();
    if (inPlay >= 0 && answerFor(game, recorded, cartella, code, inPlay, &count) == Evening::ClaimAnswer::Declared)
        return ClaimedPrize{inPlay, false, count};
    for (int prize = kTombolino; prize >= 0; --prize)
        if (answerFor(game, recorded, cartella, code, prize, &count) == Evening::ClaimAnswer::Shared)
            return ClaimedPrize{prize, true, count};
    return std::nullopt;
}

QString cleanCode(const QString &code)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9A-Z-]{1,%1}$").arg(kMaxCode));
    return shape.match(code).hasMatch() ? code : QString();
}

} // namespace

std::optional<int> Evening::sharedAt(const RecordedGame &game, int prize)
{
    for (const Winner &w : game.winners)
        if (w.prize == prize && !w.withdrawn)
            return w.countOut;
    return std::nullopt;
}

Evening::Evening(Caller &caller, SettingsStore &store, WallClock now, EveningStore *journal)
    : caller_(caller), store_(store), now_(std::move(now)), journal_(journal)
{
    if (journal_ && journal_->isOpen()) {
        const QString old = stored::read(store_, stored::kEveningRecord);
        if (!old.isEmpty() && journal_->importRecord(old))
            store_.remove(stored::kEveningRecord.path);
        record_ = journal_->currentEvening();
    }
    catchUpWithSavedGame();
    saveRecord();
    // A draw is written with its prizes before the caller saves the game (prizesChecked),
    // anything else the board changes (a reload) after.
    connect(&caller_, &Caller::changed, this, [this] {
        follow();
        saveRecord();
    });
    connect(&caller_, &Caller::prizesChecked, this, &Evening::onPrizesChecked);
    connect(&caller_, &Caller::prizeDeclared, this, &Evening::onPrizeDeclared);
    connect(&caller_, &Caller::numberWithdrawn, this, &Evening::onNumberWithdrawn);
    connect(&caller_, &Caller::newGameStarted, this, [this] {
        if (currentGame()) {
            change({.kind = Event::GameEnded});
            saveRecord();
        }
    });
}

void Evening::change(Event event)
{
    if (!event.at.isValid())
        event.at = now_();
    if (apply(record_, event))
        unsaved_ << event;
}

// A program killed between a change's two writes, the database's row and then the saved game
// the board comes back from: the evening's game is brought in line with the saved game both
// ways, its numbers missing drawn, those it lacks taken back with what they won.
void Evening::catchUpWithSavedGame()
{
    const auto saved = stored::savedGame(store_);
    if (!saved)
        return;
    const QList<int> &order = saved->order;
    const RecordedGame *last = record_.games.isEmpty() ? nullptr : &record_.games.last();
    const QList<int> recorded = last ? last->liveOrder() : QList<int>{};
    if (!currentGame() && (order.isEmpty() || (last && recorded == order)))
        return;
    const auto same = std::ranges::mismatch(recorded, order).in1 - recorded.begin();
    // A new game's first draws, the saved game still the one before it.
    const bool before = currentGame() && !recorded.isEmpty() && recorded != order && record_.games.size() > 1 &&
                        record_.games[record_.games.size() - 2].liveOrder() == order;
    if (!currentGame() || (same < recorded.size() && same < order.size() && !before)) {
        if (currentGame())
            change({.kind = Event::GameEnded});
        openGame();
        for (int n : order)
            change({.kind = Event::NumberDrawn, .number = n});
        return;
    }
    const qsizetype kept = before ? 0 : same;
    const QList<Winner> winners = currentGame()->winners;
    for (qsizetype i = 0; i < winners.size(); ++i) {
        const Winner &w = winners[i];
        const bool inPlay = w.prize == kTombolino ? !saved->tombolinoOut : saved->prizes[w.prize] == PrizeBox::Clear;
        if (!w.withdrawn && (before || w.countOut > kept || inPlay))
            change({.kind = Event::PrizeTakenBack, .winner = int(i)});
    }
    for (qsizetype i = recorded.size() - 1; i >= kept; --i)
        change({.kind = Event::NumberTakenBack, .number = recorded[i]});
    if (!before)
        for (int n : order.mid(same))
            change({.kind = Event::NumberDrawn, .number = n});
}

RecordedGame *Evening::currentGame()
{
    return record_.games.isEmpty() || record_.games.last().closed ? nullptr : &record_.games.last();
}

RecordedGame &Evening::openGame()
{
    if (RecordedGame *game = currentGame())
        return *game;
    change({.kind = Event::GameStarted});
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
    const auto append = [this](const QList<int> &numbers) {
        for (int n : numbers)
            change({.kind = Event::NumberDrawn, .number = n});
    };
    if (game && live.size() > recorded.size() && live.first(recorded.size()) == recorded) {
        append(live.mid(recorded.size()));
        return true;
    }
    if (game && live.size() == recorded.size() - 1) {
        const auto gone = std::ranges::find_if(recorded, [&](int n) { return !live.contains(n); });
        QList<int> without = recorded;
        without.removeOne(*gone);
        if (without == live) {
            change({.kind = Event::NumberTakenBack, .number = *gone});
            return true;
        }
    }
    if (game)
        change({.kind = Event::GameEnded});
    openGame();
    append(live);
    return true;
}

void Evening::addWinner(int prize, const QString &name, const QString &code, int countOut)
{
    follow();
    openGame();
    // A claim's prize is recorded with the number that completed it, not the last one.
    const QList<int> &live = caller_.game().drawOrder();
    const int count = countOut > 0 && countOut <= live.size() ? countOut : int(live.size());
    change({.kind = Event::PrizeWon,
        .number = count == 0 ? 0 : live[count - 1],
        .prize = prize,
        .countOut = count,
        .name = name,
        .code = code});
}

void Evening::onPrizesChecked(const PrizeCheck &found)
{
    follow();
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
    saveRecord();
    if (!found.rows.isEmpty() || found.fullCartelle > 0 || found.tombolino)
        emit changed();
}

void Evening::onPrizeDeclared(int prize, bool tombolino)
{
    const auto [name, code] = claimant_.value_or(std::pair{kInTheRoom, QString()});
    addWinner(tombolino ? kTombolino : prize, name, code, claimant_ ? claimantCount_ : 0);
    saveRecord();
    emit changed();
}

void Evening::onNumberWithdrawn()
{
    if (RecordedGame *game = currentGame()) {
        const qsizetype countBefore = game->liveOrder().size();
        // A prize the board has in play again lost its winners, whatever number completed it.
        const Game &board = caller_.game();
        for (qsizetype i = 0; i < game->winners.size(); ++i) {
            const Winner &w = game->winners[i];
            const bool back =
                w.prize == kTombolino ? !board.tombolinoOut() : board.prizeBox(w.prize) == PrizeBox::Clear;
            if (!w.withdrawn && (w.countOut == countBefore || back))
                change({.kind = Event::PrizeTakenBack, .winner = int(i)});
        }
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
        addWinner(claimed->prize, player, cleanCode(code), claimed->countOut);
        caller_.say(kSharedPrize);
        saveRecord();
        emit changed();
    } else {
        claimant_ = {player, cleanCode(code)};
        claimantCount_ = claimed->countOut;
        caller_.declarePrizeWon(claimed->prize == kTombolino ? board::kTombola : claimed->prize);
        claimant_.reset();
    }
    return claimed->prize;
}

Evening::ClaimAnswer Evening::previewClaim(const cartelle::Grid &cartella, const QString &code, int prize) const
{
    const RecordedGame *game = record_.games.isEmpty() || record_.games.last().closed ? nullptr : &record_.games.last();
    const QString clean = cleanCode(code);
    return answerFor(caller_.game(), game, cartella, clean, claimedKind(caller_.game(), game, cartella, clean, prize));
}

Evening::ClaimAnswer Evening::answerClaim(
    const cartelle::Grid &cartella, const QString &code, const QString &name, int prize)
{
    follow();
    const QString clean = cleanCode(code);
    const int kind = claimedKind(caller_.game(), currentGame(), cartella, clean, prize);
    int count = 0;
    const ClaimAnswer answer = answerFor(caller_.game(), currentGame(), cartella, clean, kind, &count);
    QString player = cleanName(name, kMaxClaimName);
    if (player.isEmpty())
        player = kInTheRoom;
    if (answer == ClaimAnswer::Shared) {
        addWinner(kind, player, clean, count);
        caller_.say(kSharedPrize);
        saveRecord();
        emit changed();
    } else if (answer == ClaimAnswer::Declared) {
        claimant_ = {player, clean};
        claimantCount_ = count;
        caller_.declarePrizeWon(kind == kTombolino ? board::kTombola : kind);
        claimant_.reset();
    }
    return answer;
}

void Evening::nameWinner(int game, int winner, const QString &name)
{
    if (game < 0 || game >= record_.games.size() || winner < 0 || winner >= record_.games[game].winners.size())
        return;
    const QString clean = cleanName(name, kMaxClaimName);
    change({.kind = Event::WinnerNamed,
        .game = record_.droppedGames + game,
        .winner = winner,
        .name = clean.isEmpty() ? kInTheRoom : clean});
    saveRecord();
    emit changed();
}

void Evening::startNewEvening()
{
    change({.kind = Event::EveningStarted});
    saveRecord();
    emit changed();
}

void Evening::saveRecord()
{
    if (journal_ && !unsaved_.isEmpty())
        journal_->append(unsaved_);
    unsaved_.clear();
}
