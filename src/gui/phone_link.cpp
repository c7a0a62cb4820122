// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/phone_link.h"

#include "announcer/smorfia.h"
#include "caller/caller.h"
#include "caller/stored.h"
#include "cartelle/code.h"
#include "evening/evening.h"
#include "gui/banner_overlay.h"
#include "network/access.h"
#include "network/claim_notice.h"

#include <QEvent>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>
#include <algorithm>

namespace {
const QString kOff = QStringLiteral("Non attiva");
const QString kConfirmed = QStringLiteral("%1: confermato dal banco");
const QString kRefused = QStringLiteral("%1: respinto dal banco");
const QString kNotConfirmed = QStringLiteral("Cartella %1: non vince nessun premio, non confermata");
const QString kWinnerOf = QStringLiteral("%1: %2, cartella %3");
const QString kWinnerInRoom = QStringLiteral("%1: %2");
const QString kOneMore = QStringLiteral(" (un'altra chiamata)");
const QString kMore = QStringLiteral(" (altre %1 chiamate)");
const QString kShares = QStringLiteral(", con lo stesso numero del vincitore: a parità");
const QString kTooManyWaiting = QStringLiteral("Troppe chiamate in attesa: riprova tra poco");
const QString kPhonesOff = QStringLiteral("Chiamata annullata: il banco ha spento i telefoni");

cartelle::Grid gridOf(const QString &code)
{
    const cartelle::CartellaId id = *cartelle::parseCode(code);
    return cartelle::generateSerie(id.serie)[id.cartella - 1];
}
} // namespace

PhoneLink::PhoneLink(Caller &caller, Evening &evening, SettingsStore &store, QObject *parent)
    : QObject(parent), caller_(caller), evening_(evening), store_(store)
{
    active_ = stored::read(store_, stored::kNetworkOn);
    port_ = quint16(stored::read(store_, stored::kNetworkPort));
    problem_ = kOff;
    connect(&server_, &network::PhoneServer::started, this, [this](quint16 port) {
        urls_ = network::phoneUrls(network::lanAddresses(), port, token_);
        problem_.clear();
        publish();
        emit changed();
    });
    connect(&server_, &network::PhoneServer::failed, this, [this](const QString &problem) {
        urls_.clear();
        problem_ = problem;
        emit changed();
    });
    connect(&server_, &network::PhoneServer::phoneCountChanged, this, [this](int count) {
        phoneCount_ = count;
        emit changed();
    });
    connect(&server_, &network::PhoneServer::claimReceived, this, &PhoneLink::receiveClaim);
    connect(&server_, &network::PhoneServer::phoneLeft, this, &PhoneLink::forgetPhone);
    const auto follow = [this] {
        publish();
        // The verdict follows the numbers drawn while the notice waits.
        if (!claims_.isEmpty() && claimText() != shownText_) {
            shownText_ = claimText();
            emit claimChanged();
        }
    };
    connect(&caller_, &Caller::changed, this, follow);
    connect(&evening_, &Evening::changed, this, follow);
}

void PhoneLink::start()
{
    if (!active_)
        return;
    // Read when the phones are first served. A damaged or missing code would make a QR
    // code no phone can use: a new one is kept at once.
    if (token_.isEmpty()) {
        token_ = stored::read(store_, stored::kNetworkCode);
        static const QRegularExpression tokenShape(QStringLiteral("^[0-9a-f]{32}$"));
        if (!tokenShape.match(token_).hasMatch()) {
            token_ = network::newToken();
            stored::write(store_, stored::kNetworkCode, token_);
        }
    }
    server_.start(port_, token_);
}

void PhoneLink::setActive(bool on, quint16 port)
{
    dropClaims(kPhonesOff);
    active_ = on;
    port_ = port;
    store_.writeAll({stored::entry(stored::kNetworkOn, on), stored::entry(stored::kNetworkPort, port)});
    server_.stop();
    urls_.clear();
    phoneCount_ = 0;
    problem_ = on ? QString() : kOff;
    start();
    emit changed();
}

void PhoneLink::newCode()
{
    dropClaims(kPhonesOff);
    token_ = network::newToken();
    stored::write(store_, stored::kNetworkCode, token_);
    server_.setToken(token_);
    if (!urls_.isEmpty())
        urls_ = network::phoneUrls(network::lanAddresses(), QUrl(urls_.first()).port(), token_);
    emit changed();
}

bool PhoneLink::prizeGone(int prize) const
{
    const Game &game = caller_.game();
    if (prize == board::kTombola && game.tombolaOut() && game.tombolinoPlayed() && !game.tombolinoOut())
        return false;
    return game.prizeBox(prize) != PrizeBox::Clear || caller_.prizeLeftOut(prize);
}

void PhoneLink::publish()
{
    const Game &game = caller_.game();
    network::LiveState state;
    state.drawnInOrder = game.drawOrder();
    if (const auto shown = caller_.shownNumber())
        state.lastMeaning = smorfiaOf(*shown);
    for (int prize = 0; prize < board::kPrizes; ++prize)
        state.prizesGone[prize] = prizeGone(prize);
    state.prizeInPlay = game.prizeInPlay();
    // What the banner over the board shows.
    if (game.over()) {
        state.banner = (game.tombolinoOut() ? kTombolinoBanner : kTombolaBanner).trimmed();
    } else if (const auto &message = caller_.prizeMessage()) {
        QStringList numbers;
        for (int n : *message)
            numbers << QString::number(n);
        state.banner = numbers.join(QStringLiteral(", "));
    }
    state.tombola = game.tombolaOut();
    // Who won what in this game, for every phone: the hall hears the winners' names anyway.
    const auto &games = evening_.record().games;
    if (!games.isEmpty() && !games.last().closed) {
        state.game = games.last().start.toString(Qt::ISODateWithMs);
        for (const evening::Winner &w : games.last().winners) {
            const auto id = cartelle::parseCode(w.code);
            if (!w.withdrawn)
                state.winners << (id ? kWinnerOf.arg(evening::prizeName(w.prize), w.name, cartelle::cartellaName(*id))
                                     : kWinnerInRoom.arg(evening::prizeName(w.prize), w.name));
        }
    }
    if (active_)
        server_.publish(state);
    emit statePublished(state);
}

// --- players beyond the hall: the seam with RemoteLink ---
void PhoneLink::takeRemoteClaim(const QString &phone, const network::Claim &claim)
{
    const quint64 id = nextRemotePhone_++;
    remotePhones_.insert(id, phone);
    receiveClaim(id, claim.prize, cartelle::printedCode(claim.cartella), claim.name);
}

void PhoneLink::answer(quint64 phone, const QString &text)
{
    if (const auto remote = remotePhones_.constFind(phone); remote != remotePhones_.cend()) {
        emit remoteVerdict(*remote, text);
        remotePhones_.erase(remote);
    } else {
        server_.answer(phone, text);
    }
}
// --- end of the seam ---

Evening::ClaimAnswer PhoneLink::preview(const PendingClaim &claim) const
{
    return evening_.previewClaim(gridOf(claim.code), claim.code, claim.prize);
}

void PhoneLink::receiveClaim(quint64 phone, int prize, const QString &code, const QString &name)
{
    if (prize < 0 || prize >= board::kPrizes || !cartelle::parseCode(code)) {
        answer(phone, network::phone_texts::kBadCode);
        return;
    }
    const PendingClaim claim{phone, prize, code, name};
    if (preview(claim) == Evening::ClaimAnswer::Gone) {
        answer(phone, network::phone_texts::kPrizeGone);
        return;
    }
    // One claim for each cartella and prize: a repeat, from whatever phone, takes its place.
    const auto same =
        std::ranges::find_if(claims_, [&](const PendingClaim &c) { return c.code == code && c.prize == prize; });
    if (same != claims_.end()) {
        *same = claim;
        if (same == claims_.begin())
            showNextClaim();
        return;
    }
    if (claims_.size() >= kMaxWaitingClaims) {
        answer(phone, kTooManyWaiting);
        return;
    }
    claims_.append(claim);
    if (claims_.size() == 1)
        showNextClaim();
    else
        emit claimChanged(); // the count of those waiting
}

void PhoneLink::forgetPhone(quint64 phone)
{
    const bool shown = !claims_.isEmpty() && claims_.first().phone == phone;
    if (claims_.removeIf([phone](const PendingClaim &c) { return c.phone == phone; }) == 0)
        return;
    if (shown)
        showNextClaim();
    else
        emit claimChanged();
}

void PhoneLink::dropClaims(const QString &why)
{
    if (claims_.isEmpty())
        return;
    for (const PendingClaim &claim : std::as_const(claims_))
        answer(claim.phone, why);
    claims_.clear();
    shownText_.clear();
    emit claimChanged();
}

void PhoneLink::showNextClaim()
{
    // A claim that waited behind one confirmed for the same prize is answered without the caller.
    while (!claims_.isEmpty() && preview(claims_.first()) == Evening::ClaimAnswer::Gone)
        answer(claims_.takeFirst().phone, network::phone_texts::kPrizeGone);
    shownText_ = claimText();
    // Said without what would be markup in a phone's name.
    static const QRegularExpression markup(QStringLiteral("<[^>]*>?"));
    if (!claims_.isEmpty())
        caller_.say(noticeOf(claims_.first()).remove(markup));
    emit claimChanged();
}

QString PhoneLink::noticeOf(const PendingClaim &claim) const
{
    std::array<bool, board::kCells> drawn{};
    for (int i = 0; i < board::kCells; ++i)
        drawn[i] = caller_.game().cell(i).drawn;
    const QString notice = network::claimNotice(claim.prize, claim.name, *cartelle::parseCode(claim.code), drawn);
    return preview(claim) == Evening::ClaimAnswer::Shared ? notice + kShares : notice;
}

QString PhoneLink::claimText() const
{
    if (claims_.isEmpty())
        return {};
    const qsizetype more = claims_.size() - 1;
    return noticeOf(claims_.first()) + (more == 0 ? QString() : more == 1 ? kOneMore : kMore.arg(more));
}

void PhoneLink::confirmClaim()
{
    if (claims_.isEmpty())
        return;
    const QString text = noticeOf(claims_.first());
    const PendingClaim claim = claims_.takeFirst();
    // Only the prize claimed can be won, and a cartella that holds none is never recorded.
    switch (evening_.answerClaim(gridOf(claim.code), claim.code, claim.name, claim.prize)) {
    case Evening::ClaimAnswer::Declared:
    case Evening::ClaimAnswer::Shared: answer(claim.phone, kConfirmed.arg(text)); break;
    case Evening::ClaimAnswer::Gone:
        answer(claim.phone, network::phone_texts::kPrizeGone);
        caller_.say(network::phone_texts::kPrizeGone);
        break;
    case Evening::ClaimAnswer::NotHeld: {
        const QString refusal = kNotConfirmed.arg(cartelle::cartellaName(*cartelle::parseCode(claim.code)));
        answer(claim.phone, refusal);
        caller_.say(refusal);
    }
    }
    showNextClaim();
}

void PhoneLink::refuseClaim()
{
    if (claims_.isEmpty())
        return;
    const QString text = noticeOf(claims_.first());
    answer(claims_.takeFirst().phone, kRefused.arg(text));
    showNextClaim();
}
