// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "network/protocol.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

// The game published to an MQTT broker for players beyond the hall, and their claims read
// back. Topics under sorteggina/<room>/: "stato" (retained), "vincitori" (retained),
// "chiamate/<phone>" (claims, read only by the program) and "risposte/<phone>" (verdicts).
namespace network::remote {

// mqtt://HOST:PORT or mqtts://HOST:PORT; the port is required.
struct BrokerAddress {
    bool tls = false;
    QString host;
    quint16 port = 0;
};
std::optional<BrokerAddress> parseBrokerAddress(const QString &text);
// ws://HOST[:PORT][/PATH] or wss://…, the address the phones' page opens.
bool isPageAddress(const QString &text);
// Letters, digits and '-', 1 to 40 of them: a room, and a phone's name on the broker.
bool isRoomName(const QString &text);
QString newRoomName();
// The phone a claim's topic names, or nothing when the topic is not a claim of this room.
std::optional<QString> claimingPhone(const QString &room, const QString &topic);
// A message from the broker that the program answers: a claim, or the phone's refusal (a
// Claim or a Refusal); nothing for a retained message, another topic or a hello.
struct BrokerClaim {
    QString phone;
    PhoneMessage message;
};
std::optional<BrokerClaim> readBrokerClaim(
    const QString &room, const QString &topic, QByteArrayView payload, bool retained);
// The page's link to a room: PAGE_URL?broker=…&stanza=….
QString pageLink(const QString &pageUrl, const QString &brokerWs, const QString &room);

struct Settings {
    BrokerAddress broker;
    QString room;
    QString user;
    QString password;
};

// libmosquitto on Qt's event loop: socket notifiers and a timer, no thread of its own. It
// connects again after any loss with growing random delays, and publishes the retained
// state and winners again on every connection, since nothing is sent while it is away.
class BrokerLink : public QObject {
    Q_OBJECT
public:
    // Claims one phone may send in a minute, and phones followed at once.
    static constexpr int kClaimsPerMinute = 6;
    static constexpr int kPhonesFollowed = 20000;
    // Verdicts kept while the broker is away.
    static constexpr int kUnsentAnswers = 1000;

    explicit BrokerLink(QObject *parent = nullptr);
    ~BrokerLink() override;

    void start(const Settings &settings);
    void stop();
    bool connected() const { return connected_; }
    // Why the link is not connected, naming the broker; empty while it is.
    const QString &problem() const { return problem_; }

    void publishState(const QByteArray &message);
    void publishWinners(const QByteArray &message);
    void answer(const QString &phone, const QString &text);

signals:
    void claimReceived(const QString &phone, const network::Claim &claim);
    void changed();

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    void connectNow();
    void lost(const QString &problem);
    void watchSocket();
    void dropSocket();
    void service(int rc);
    void receive(const QString &topic, QByteArrayView payload, bool retained);
    bool allowClaim(const QString &phone);
    void send(const QString &subtopic, const QByteArray &payload, bool retain);
    QString topic(const QString &subtopic) const;
    QString brokerName() const;

    Settings settings_;
    mosquitto *client_ = nullptr;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    QTimer misc_;
    QTimer retry_;
    QTimer stateDue_;
    int failures_ = 0;
    quint64 attempt_ = 0;
    bool running_ = false;
    bool connected_ = false;
    QString problem_;
    QByteArray state_;
    QByteArray winners_;
    QList<std::pair<QString, QByteArray>> unsent_;
    struct Pace {
        qint64 windowStart = 0;
        int count = 0;
    };
    QHash<QString, Pace> pace_;
    QElapsedTimer clock_;
};

} // namespace network::remote
