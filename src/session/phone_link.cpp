// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/phone_link.h"

#include "announcer/smorfia.h"
#include "caller/caller.h"
#include "caller/stored.h"
#include "cartelle/code.h"
#include "evening/evening.h"
#include "network/access.h"
#include "network/claim_notice.h"

#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {
const QString kOff = QStringLiteral("Non attiva");
const QString kBadPort = QStringLiteral(
    "Telefoni spenti: la porta salvata «%1» non va bene (un numero da 1024 a 65535). Scegline una con Ctrl+G");
const QString kNotServed = QStringLiteral("Telefoni non attivi. %1");
// Text from the settings file shown in a notice: a few characters of it.
constexpr qsizetype kShownPortChars = 16;
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
const QString kNeverAnswered =
    QStringLiteral("Il programma del banco si è riavviato e la chiamata non ha avuto risposta: puoi chiamare di nuovo");
// Verdicts kept for phones that are away; one for each claim that can wait, and some room.
constexpr qsizetype kMaxUndelivered = 2 * PhoneLink::kMaxWaitingClaims;
const QString kRemotePrefix = QStringLiteral("@");
const QString kNoName = QStringLiteral("(senza nome)");
const QString kPhoneLine = QStringLiteral("%1: %2");
const QString kSoldTwice = QStringLiteral("%1 (DOPPIA: anche su un altro telefono)");
const QString kNoCartelle = QStringLiteral("nessuna cartella");
const QString kAlsoOn = QStringLiteral(". Attenzione: la stessa cartella è anche sul telefono di %1");

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
    // A port out of bounds or no number at all is refused by name, never bent into one.
    const auto port = stored::readExact(store_, stored::kNetworkPort);
    port_ = quint16(port.value_or(stored::kNetworkPort.fallback));
    problem_ = kOff;
    if (!port && active_) {
        QString text = stored::read(store_, stored::Text{stored::kNetworkPort.path}).trimmed();
        text.replace(QChar(0), QChar(u'?'));
        if (text.size() > kShownPortChars)
            text = text.left(kShownPortChars) + QChar(u'\u2026');
        problem_ = refusedPort_ = kBadPort.arg(text);
        active_ = false;
    }
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
    connect(&server_, &network::PhoneServer::claimReceived, this,
        [this](quint64 connection, int prize, const QString &code, const QString &name) {
            takeClaim({phoneOf(connection), prize, code, name});
        });
    connect(&server_, &network::PhoneServer::phoneGreeted, this, &PhoneLink::greet);
    connect(&server_, &network::PhoneServer::phoneLeft, this, &PhoneLink::leave);
    // Stored text is read as a phone's: anything out of shape is left behind.
    savedClaims_ = stored::read(store_, stored::kWaitingClaims);
    if (const auto kept = network::WaitingClaims::parse(savedClaims_))
        parked_ = *kept;
    connect(&caller_, &Caller::newGameStarted, this, [this] {
        for (const PendingClaim &claim : std::as_const(parked_.claims))
            answer(claim.phone, kNeverAnswered);
        parked_ = {};
        saveClaims();
    });
    const auto follow = [this] {
        followParked();
        saveClaims();
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
    if (!refusedPort_.isEmpty())
        emit changed();
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
    connections_.clear();
    refusedPort_.clear();
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

QString PhoneLink::notice() const
{
    if (!refusedPort_.isEmpty())
        return refusedPort_;
    return active_ && urls_.isEmpty() && !problem_.isEmpty() && problem_ != kOff ? kNotServed.arg(problem_) : QString();
}

void PhoneLink::newCode()
{
    dropClaims(kPhonesOff);
    connections_.clear();
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
    state.banner = caller_.bannerText();
    state.tombola = game.tombolaOut();
    // Who won what in this game, for every phone: the hall hears the winners' names anyway.
    const auto &games = evening_.record().games;
    if (!games.isEmpty() && !games.last().closed) {
        state.game = games.last().start.toString(Qt::ISODateWithMs);
        // The phones know the tombolino as the tombola.
        for (int prize = 0; prize <= evening::kTombolino; ++prize) {
            const int ladderPrize = std::min(prize, int(board::kTombola));
            if (const auto at = Evening::sharedAt(games.last(), prize);
                at && std::ranges::none_of(state.shareable, [&](const auto &s) { return s.first == ladderPrize; }))
                state.shareable.append({ladderPrize, *at});
        }
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
    takeClaim({kRemotePrefix + phone, claim.prize, cartelle::printedCode(claim.cartella), claim.name});
}

void PhoneLink::answer(const QString &phone, const QString &text)
{
    if (phone.startsWith(kRemotePrefix)) {
        emit remoteVerdict(phone.mid(kRemotePrefix.size()), text);
        return;
    }
    bool sent = false;
    for (auto c = connections_.cbegin(); c != connections_.cend(); ++c)
        if (phoneOf(c.key()) == phone) {
            server_.answer(c.key(), text);
            sent = true;
        }
    if (sent || phone.startsWith(u'#'))
        return;
    if (undelivered_.size() >= kMaxUndelivered)
        undelivered_.erase(undelivered_.begin());
    undelivered_.insert(phone, text);
}
// --- end of the seam ---

QString PhoneLink::phoneOf(quint64 connection) const
{
    const QString id = connections_.value(connection).id;
    return id.isEmpty() ? QStringLiteral("#%1").arg(connection) : id;
}

bool PhoneLink::connected(const QString &phone) const
{
    return std::ranges::any_of(connections_.keys(), [&](quint64 c) { return phoneOf(c) == phone; });
}

void PhoneLink::greet(quint64 connection, const QString &id, const QString &name, const QStringList &codes)
{
    connections_.insert(connection, HallPhone{id, name, codes});
    departures_.remove(phoneOf(connection));
    if (const auto verdict = undelivered_.constFind(phoneOf(connection)); verdict != undelivered_.cend()) {
        server_.answer(connection, *verdict);
        undelivered_.erase(verdict);
    }
    emit changed();
}

void PhoneLink::leave(quint64 connection)
{
    const QString phone = phoneOf(connection);
    connections_.remove(connection);
    emit changed();
    if (connected(phone))
        return;
    // A page without an id of its own can never be told apart when it comes back.
    if (phone.startsWith(u'#')) {
        forgetPhone(phone);
        return;
    }
    awaitReturn(phone);
}

void PhoneLink::awaitReturn(const QString &phone)
{
    const int departure = ++departureCount_;
    departures_.insert(phone, departure);
    QTimer::singleShot(graceMs_, this, [this, phone, departure] {
        if (departures_.value(phone) != departure)
            return;
        departures_.remove(phone);
        undelivered_.remove(phone);
        forgetPhone(phone);
    });
}

Evening::ClaimAnswer PhoneLink::preview(const PendingClaim &claim) const
{
    return evening_.previewClaim(gridOf(claim.code), claim.code, claim.prize);
}

void PhoneLink::takeClaim(const PendingClaim &claim)
{
    if (preview(claim) == Evening::ClaimAnswer::Gone) {
        answer(claim.phone, network::phone_texts::kPrizeGone);
        return;
    }
    // One claim for each cartella and prize: a repeat, from whatever phone, takes its place.
    const auto same = std::ranges::find_if(
        claims_, [&](const PendingClaim &c) { return c.code == claim.code && c.prize == claim.prize; });
    if (same != claims_.end()) {
        *same = claim;
        if (same == claims_.begin())
            showNextClaim();
        else
            claimsChanged();
        return;
    }
    if (claims_.size() >= kMaxWaitingClaims) {
        answer(claim.phone, kTooManyWaiting);
        return;
    }
    claims_.append(claim);
    if (claims_.size() == 1)
        showNextClaim();
    else
        claimsChanged(); // the count of those waiting
}

void PhoneLink::forgetPhone(const QString &phone)
{
    const bool shown = !claims_.isEmpty() && claims_.first().phone == phone;
    if (claims_.removeIf([&](const PendingClaim &c) { return c.phone == phone; }) == 0)
        return;
    if (shown)
        showNextClaim();
    else
        claimsChanged();
}

void PhoneLink::claimsChanged()
{
    saveClaims();
    emit claimChanged();
}

void PhoneLink::saveClaims()
{
    // Until their game is back, the claims of a killed program are the ones kept.
    if (!parked_.claims.isEmpty())
        return;
    const QString text =
        claims_.isEmpty() ? QString() : network::WaitingClaims{caller_.game().drawOrder(), claims_}.text();
    if (text == savedClaims_)
        return;
    savedClaims_ = text;
    stored::write(store_, stored::kWaitingClaims, text);
}

void PhoneLink::followParked()
{
    if (parked_.claims.isEmpty())
        return;
    const QList<int> &order = caller_.game().drawOrder();
    if (order.isEmpty())
        return;
    network::WaitingClaims back = std::exchange(parked_, {});
    if (order != back.order) {
        // Another game is on the board: the phones may claim again.
        for (const PendingClaim &claim : std::as_const(back.claims))
            answer(claim.phone, kNeverAnswered);
        saveClaims();
        return;
    }
    for (const PendingClaim &claim : std::as_const(back.claims)) {
        takeClaim(claim);
        // A phone that does not come back within the grace takes its claim with it.
        if (!claim.phone.startsWith(kRemotePrefix) && !connected(claim.phone))
            awaitReturn(claim.phone);
    }
}

void PhoneLink::dropClaims(const QString &why)
{
    if (claims_.isEmpty())
        return;
    for (const PendingClaim &claim : std::as_const(claims_))
        answer(claim.phone, why);
    claims_.clear();
    shownText_.clear();
    claimsChanged();
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
    claimsChanged();
}

QString PhoneLink::noticeOf(const PendingClaim &claim) const
{
    std::array<bool, board::kCells> drawn{};
    for (int i = 0; i < board::kCells; ++i)
        drawn[i] = caller_.game().cell(i).drawn;
    const QString notice = network::claimNotice(claim.prize, claim.name, *cartelle::parseCode(claim.code), drawn);
    const QStringList others = otherHolders(claim.code, claim.phone);
    return (preview(claim) == Evening::ClaimAnswer::Shared ? notice + kShares : notice) +
           (others.isEmpty() ? QString() : kAlsoOn.arg(others.join(QStringLiteral(", "))));
}

QStringList PhoneLink::otherHolders(const QString &code, const QString &phone) const
{
    QStringList names;
    QStringList seen{phone};
    for (auto c = connections_.cbegin(); c != connections_.cend(); ++c)
        if (const QString other = phoneOf(c.key()); !seen.contains(other) && c->codes.contains(code)) {
            seen << other;
            names << (c->name.isEmpty() ? kNoName : c->name);
        }
    return names;
}

QString PhoneLink::phoneListText() const
{
    QStringList lines;
    QStringList seen;
    for (auto c = connections_.cbegin(); c != connections_.cend(); ++c) {
        const QString phone = phoneOf(c.key());
        if (seen.contains(phone))
            continue;
        seen << phone;
        QStringList codes;
        for (const QString &code : c->codes)
            codes << (otherHolders(code, phone).isEmpty() ? code : kSoldTwice.arg(code));
        lines << kPhoneLine.arg(
            c->name.isEmpty() ? kNoName : c->name, codes.isEmpty() ? kNoCartelle : codes.join(QStringLiteral(", ")));
    }
    std::ranges::sort(lines);
    return lines.join(u'\n');
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
