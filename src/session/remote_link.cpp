// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/remote_link.h"

#include "caller/stored.h"
#include "evening/evening.h"
#include "session/phone_link.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QUrl>
#include <algorithm>

namespace {
const QString kOff = QStringLiteral("Non attivo");
const QString kConnected = QStringLiteral("Collegato al broker %1, stanza %2");
const QString kBadValue = QStringLiteral("[Remoto] %1 non valido: il collegamento remoto resta spento");
const QString kBadBroker = QStringLiteral("Broker: scrivi mqtt://NOME:PORTA o mqtts://NOME:PORTA");
const QString kBadPage = QStringLiteral("Pagina: scrivi ws://NOME:PORTA o wss://NOME:PORTA");
const QString kBadRoom = QStringLiteral("Stanza: solo lettere, cifre e '-', al massimo 40");
const QString kBadLogin = QStringLiteral("Utente e password: al massimo 100 caratteri, senza caratteri di controllo");
constexpr int kMaxLogin = 100;

bool isLogin(const QString &text)
{
    return text.size() <= kMaxLogin &&
           std::none_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}
} // namespace

RemoteLink::RemoteLink(PhoneLink &phones, Evening &evening, SettingsStore &store, QObject *parent)
    : QObject(parent), phones_(phones), evening_(evening), store_(store)
{
    connect(&phones_, &PhoneLink::statePublished, this,
        [this](const network::LiveState &state) { broker_.publishState(network::stateMessage(state)); });
    connect(&evening_, &Evening::changed, this, &RemoteLink::publishWinners);
    connect(&broker_, &network::remote::BrokerLink::claimReceived, &phones_, &PhoneLink::takeRemoteClaim);
    connect(&phones_, &PhoneLink::remoteVerdict, &broker_, &network::remote::BrokerLink::answer);
    connect(&broker_, &network::remote::BrokerLink::changed, this, &RemoteLink::changed);
}

QString RemoteLink::readSettings()
{
    using namespace stored;
    choice_ = {stored::read(store_, kRemoteOn), stored::read(store_, kRemoteBroker).trimmed(),
        stored::read(store_, kRemotePage).trimmed(), stored::read(store_, kRemoteRoom).trimmed(),
        stored::read(store_, kRemoteUser), {}};
    password_ = stored::read(store_, kRemotePassword);
    if (choice_.room.isEmpty()) {
        // Kept only once the link is on, so the settings hold nothing of a link never used.
        choice_.room = network::remote::newRoomName();
        if (choice_.on)
            stored::write(store_, kRemoteRoom, choice_.room);
    }
    if (!network::remote::parseBrokerAddress(choice_.broker))
        return kBadValue.arg(QStringLiteral("Broker"));
    if (!choice_.page.isEmpty() && !network::remote::isPageAddress(choice_.page))
        return kBadValue.arg(QStringLiteral("Pagina"));
    if (!network::remote::isRoomName(choice_.room))
        return kBadValue.arg(QStringLiteral("Stanza"));
    if (!isLogin(choice_.user) || !isLogin(password_))
        return kBadValue.arg(QStringLiteral("Utente o Password"));
    return {};
}

void RemoteLink::start()
{
    broker_.stop();
    settingsProblem_ = readSettings();
    if (choice_.on && settingsProblem_.isEmpty()) {
        keepSettingsPrivate();
        publishWinners();
        phones_.publish();
        broker_.start({*network::remote::parseBrokerAddress(choice_.broker), choice_.room, choice_.user, password_});
    }
    emit changed();
}

QString RemoteLink::apply(const Choice &choice)
{
    if (!network::remote::parseBrokerAddress(choice.broker.trimmed()) && (choice.on || !choice.broker.isEmpty()))
        return kBadBroker;
    if (!choice.page.trimmed().isEmpty() && !network::remote::isPageAddress(choice.page))
        return kBadPage;
    if (!choice.room.trimmed().isEmpty() && !network::remote::isRoomName(choice.room.trimmed()))
        return kBadRoom;
    if (!isLogin(choice.user) || !isLogin(choice.password))
        return kBadLogin;
    using namespace stored;
    store_.writeAll({entry(kRemoteOn, choice.on), entry(kRemoteBroker, choice.broker.trimmed()),
        entry(kRemotePage, choice.page.trimmed()), entry(kRemoteRoom, choice.room.trimmed()),
        entry(kRemoteUser, choice.user)});
    if (!choice.password.isEmpty()) {
        keepSettingsPrivate();
        stored::write(store_, kRemotePassword, choice.password);
    }
    start();
    return {};
}

void RemoteLink::keepSettingsPrivate()
{
    // The file keeps a password: only its owner may read it.
    const QString path = QSettings(QStringLiteral("Vellucario"), QStringLiteral("Vellucario")).fileName();
    if (QFile::exists(path))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

void RemoteLink::publishWinners()
{
    if (!choice_.on)
        return;
    QJsonArray winners;
    const auto &games = evening_.record().games;
    if (!games.isEmpty() && !games.last().closed) {
        for (const auto &winner : games.last().winners) {
            if (!winner.withdrawn)
                winners.append(QJsonObject{{QStringLiteral("prize"), winner.prize},
                    {QStringLiteral("name"), winner.name}, {QStringLiteral("code"), winner.code}});
        }
    }
    broker_.publishWinners(QJsonDocument(
        QJsonObject{{QStringLiteral("type"), QStringLiteral("winners")}, {QStringLiteral("winners"), winners}})
                               .toJson(QJsonDocument::Compact));
}

QString RemoteLink::status() const
{
    if (!settingsProblem_.isEmpty())
        return settingsProblem_;
    if (!choice_.on)
        return kOff;
    if (broker_.connected())
        return kConnected.arg(choice_.broker, choice_.room);
    return broker_.problem();
}

QString RemoteLink::notice() const
{
    if (!settingsProblem_.isEmpty() && choice_.on)
        return settingsProblem_;
    return choice_.on && !broker_.connected() ? broker_.problem() : QString();
}

QString RemoteLink::pageLink() const
{
    if (!choice_.on || choice_.page.isEmpty())
        return {};
    const QStringList &hall = phones_.urls();
    const QString page = hall.isEmpty() ? QStringLiteral("index.html") : hall.first();
    return network::remote::pageLink(page, choice_.page, choice_.room);
}
