// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include "caller/stored.h"

#include <QDateTime>

namespace {
const QString kClaimsDropped = QStringLiteral("Chiamata annullata: il banco ha iniziato una nuova partita");
} // namespace

Session::Session(Voice &voice, SettingsStore &store, RandomSource &random, const Clock &clock, EveningStore *evenings,
    QObject *parent)
    : QObject(parent), store_(store), evenings_(evenings), caller_(voice, store, random, clock),
      evening_(
          caller_, store, [] { return QDateTime::currentDateTime(); }, evenings),
      autoCaller_(caller_, voice, clock, store), phones_(caller_, evening_, store, nullptr),
      remote_(phones_, evening_, store, nullptr)
{
    connect(&phones_, &PhoneLink::claimChanged, this, [this] { autoCaller_.setClaimsWaiting(phones_.claimShown()); });
}

void Session::start()
{
    phones_.start();
    remote_.start();
}

std::optional<int> Session::interruptedGame() const
{
    const auto saved = stored::savedGame(store_);
    if (!saved || saved->order.isEmpty() || stored::read(store_, stored::kGameEnded))
        return std::nullopt;
    if (saved->prizes[board::kTombola] != PrizeBox::Clear &&
        (!stored::read(store_, stored::kTombolinoPlayed) || saved->tombolinoOut))
        return std::nullopt;
    return int(saved->order.size());
}

bool Session::heldWhile(const std::function<bool()> &ask)
{
    const bool held = autoCaller_.claimOpen();
    autoCaller_.setClaimOpen(true);
    const bool yes = ask();
    autoCaller_.setClaimOpen(held);
    return yes;
}

bool Session::leaveGame(bool reload, const std::function<bool(int waiting)> &confirm)
{
    if (const int waiting = phones_.claimsWaiting(); waiting > 0) {
        if (!heldWhile([&] { return confirm(waiting); }))
            return false;
        phones_.dropClaims(kClaimsDropped);
    }
    reload ? caller_.reloadSavedGame() : caller_.startNewGame();
    return true;
}

void Session::withdrawLastNumber(const std::function<bool(int number)> &confirm)
{
    const QList<int> &order = caller_.game().drawOrder();
    // No number comes while the caller answers.
    heldWhile([&] {
        if (order.isEmpty() || confirm(order.last()))
            caller_.withdrawLastNumber();
        return true;
    });
}
