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
    if (game.prizeBox(prize) == PrizeBox::Clear)
        return caller_.prizeLeftOut(prize);
    // A prize won with the last number may still be shared.
    const auto &games = evening_.record().games;
    if (games.isEmpty() || games.last().closed)
        return true;
    const auto &winners = games.last().winners;
    return std::none_of(winners.begin(), winners.end(),
        [&](const evening::Winner &w) { return w.prize == prize && !w.withdrawn && w.countOut == game.drawnCount(); });
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

void PhoneLink::receiveClaim(quint64 phone, int prize, const QString &code, const QString &name)
{
    if (prize < 0 || prize >= board::kPrizes || !cartelle::parseCode(code)) {
        answer(phone, network::phone_texts::kBadCode);
        return;
    }
    if (prizeGone(prize)) {
        answer(phone, network::phone_texts::kPrizeGone);
        return;
    }
    claims_.append({phone, prize, code, name});
    if (claims_.size() == 1)
        showNextClaim();
}

void PhoneLink::showNextClaim()
{
    // A claim that waited behind one confirmed for the same prize is answered without the caller.
    while (!claims_.isEmpty() && prizeGone(claims_.first().prize))
        answer(claims_.takeFirst().phone, network::phone_texts::kPrizeGone);
    shownText_ = claimText();
    if (!shownText_.isEmpty())
        caller_.say(shownText_);
    emit claimChanged();
}

QString PhoneLink::claimText() const
{
    if (claims_.isEmpty())
        return {};
    const PendingClaim &claim = claims_.first();
    std::array<bool, board::kCells> drawn{};
    for (int i = 0; i < board::kCells; ++i)
        drawn[i] = caller_.game().cell(i).drawn;
    return network::claimNotice(claim.prize, claim.name, *cartelle::parseCode(claim.code), drawn);
}

void PhoneLink::confirmClaim()
{
    if (claims_.isEmpty())
        return;
    const QString text = claimText();
    const PendingClaim claim = claims_.takeFirst();
    const cartelle::CartellaId id = *cartelle::parseCode(claim.code);
    const cartelle::Grid grid = cartelle::generateSerie(id.serie)[id.cartella - 1];
    // A cartella that wins nothing is never recorded as a winner, whatever was pressed.
    if (evening_.confirmClaim(grid, claim.code, claim.name)) {
        answer(claim.phone, kConfirmed.arg(text));
    } else {
        const QString refusal = kNotConfirmed.arg(cartelle::cartellaName(id));
        answer(claim.phone, refusal);
        caller_.say(refusal);
    }
    showNextClaim();
}

void PhoneLink::refuseClaim()
{
    if (claims_.isEmpty())
        return;
    const QString text = claimText();
    answer(claims_.takeFirst().phone, kRefused.arg(text));
    showNextClaim();
}
