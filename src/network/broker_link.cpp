// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/broker_link.h"

#include <QHostInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <mosquitto.h>
#include <utility>

namespace network::remote {

namespace {
    const QString kTopicRoot = QStringLiteral("sorteggina/%1/%2");
    const QString kClaims = QStringLiteral("chiamate/");
    const QString kNotFound = QStringLiteral("Broker %1: indirizzo non trovato, riprovo tra poco");
    const QString kUnreachable = QStringLiteral("Broker %1 non raggiungibile, riprovo tra poco");
    const QString kRefusedLogin = QStringLiteral("Il broker %1 rifiuta utente o password");
    const QString kRefused = QStringLiteral("Il broker %1 rifiuta il collegamento (codice %2)");
    const QString kLost = QStringLiteral("Collegamento col broker %1 perso, riprovo tra poco");
    const QString kConnecting = QStringLiteral("Collegamento col broker %1…");
    constexpr int kKeepAliveSeconds = 30;
    constexpr int kLongestWaitSeconds = 60;
    constexpr int kMaxRoomLength = 40;
    // Where Debian keeps the certificates a broker's may be checked against.
    constexpr const char *kCertificates = "/etc/ssl/certs";

    struct Library {
        Library() { mosquitto_lib_init(); }
        ~Library() { mosquitto_lib_cleanup(); }
    };
} // namespace

std::optional<BrokerAddress> parseBrokerAddress(const QString &text)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^(mqtts?)://([A-Za-z0-9.-]{1,253}|\[[0-9A-Fa-f:.]{2,45}\]):([0-9]{1,5})$)"));
    const auto match = shape.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    QString host = match.captured(2);
    if (host.startsWith(u'['))
        host = host.mid(1, host.size() - 2);
    return BrokerAddress{match.captured(1) == QLatin1String("mqtts"), host, quint16(port)};
}

bool isPageAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == QLatin1String("ws") || url.scheme() == QLatin1String("wss")) &&
           !url.host().isEmpty() && url.userInfo().isEmpty() && !url.hasQuery() && !url.hasFragment() &&
           text.size() <= 300;
}

bool isRoomName(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9-]{1,%1}$").arg(kMaxRoomLength));
    return shape.match(text).hasMatch();
}

QString newRoomName()
{
    static const QString letters = QStringLiteral("abcdefghjkmnpqrstuvwxyz23456789");
    QString room = QStringLiteral("tombola-");
    for (int i = 0; i < 10; ++i)
        room += letters[QRandomGenerator::system()->bounded(int(letters.size()))];
    return room;
}

std::optional<QString> claimingPhone(const QString &room, const QString &topic)
{
    const QString prefix = kTopicRoot.arg(room, kClaims);
    if (!topic.startsWith(prefix))
        return std::nullopt;
    const QString phone = topic.mid(prefix.size());
    return isRoomName(phone) ? std::optional(phone) : std::nullopt;
}

QString pageLink(const QString &pageUrl, const QString &brokerWs, const QString &room)
{
    QUrl url(pageUrl);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("broker"), QString::fromLatin1(QUrl::toPercentEncoding(brokerWs)));
    query.addQueryItem(QStringLiteral("stanza"), room);
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

BrokerLink::BrokerLink(QObject *parent) : QObject(parent)
{
    static Library library;
    clock_.start();
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, [this] { service(mosquitto_loop_misc(client_)); });
    retry_.setSingleShot(true);
    stateDue_.setSingleShot(true);
    stateDue_.setInterval(0);
    connect(&stateDue_, &QTimer::timeout, this, [this] { send(QStringLiteral("stato"), state_, true); });
    connect(&retry_, &QTimer::timeout, this, &BrokerLink::connectNow);
}

BrokerLink::~BrokerLink() { stop(); }

QString BrokerLink::brokerName() const { return settings_.broker.host + u':' + QString::number(settings_.broker.port); }

QString BrokerLink::topic(const QString &subtopic) const { return kTopicRoot.arg(settings_.room, subtopic); }

void BrokerLink::start(const Settings &settings)
{
    stop();
    if (settings.room != settings_.room)
        unsent_.clear();
    settings_ = settings;
    client_ = mosquitto_new(QStringLiteral("sorteggina-%1").arg(settings_.room).toUtf8().constData(), true, this);
    if (!client_)
        return;
    mosquitto_connect_callback_set(client_, &BrokerLink::onConnect);
    mosquitto_disconnect_callback_set(client_, &BrokerLink::onDisconnect);
    mosquitto_message_callback_set(client_, &BrokerLink::onMessage);
    if (!settings_.user.isEmpty())
        mosquitto_username_pw_set(
            client_, settings_.user.toUtf8().constData(), settings_.password.toUtf8().constData());
    if (settings_.broker.tls)
        mosquitto_tls_set(client_, nullptr, kCertificates, nullptr, nullptr, nullptr);
    running_ = true;
    failures_ = 0;
    problem_ = kConnecting.arg(brokerName());
    emit changed();
    connectNow();
}

void BrokerLink::stop()
{
    running_ = false;
    retry_.stop();
    misc_.stop();
    dropSocket();
    if (client_) {
        mosquitto_disconnect(client_);
        mosquitto_destroy(client_);
        client_ = nullptr;
    }
    connected_ = false;
}

void BrokerLink::connectNow()
{
    if (!running_)
        return;
    // The name is looked up off this thread: a slow resolver must never hold a draw.
    const quint64 attempt = ++attempt_;
    QHostInfo::lookupHost(settings_.broker.host, this, [this, attempt](const QHostInfo &info) {
        if (!running_ || attempt != attempt_)
            return;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            lost(kNotFound.arg(brokerName()));
            return;
        }
        // A certificate is checked against the name, so TLS keeps it (already looked up).
        const QByteArray host =
            settings_.broker.tls ? settings_.broker.host.toUtf8() : info.addresses().first().toString().toUtf8();
        const int rc = mosquitto_connect_async(client_, host.constData(), settings_.broker.port, kKeepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS) {
            lost(kUnreachable.arg(brokerName()));
            return;
        }
        watchSocket();
        misc_.start();
    });
}

void BrokerLink::watchSocket()
{
    dropSocket();
    const int fd = mosquitto_socket(client_);
    if (fd < 0)
        return;
    reader_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    writer_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(reader_.get(), &QSocketNotifier::activated, this, [this] { service(mosquitto_loop_read(client_, 1)); });
    connect(writer_.get(), &QSocketNotifier::activated, this, [this] { service(mosquitto_loop_write(client_, 1)); });
    writer_->setEnabled(mosquitto_want_write(client_));
}

void BrokerLink::dropSocket()
{
    // A notifier may be the one whose signal runs now: it goes later, switched off at once.
    for (auto *notifier : {reader_.release(), writer_.release()}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
}

void BrokerLink::service(int rc)
{
    if (!running_ || !client_)
        return;
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
        lost((connected_ ? kLost : kUnreachable).arg(brokerName()));
        return;
    }
    if (writer_)
        writer_->setEnabled(mosquitto_want_write(client_));
}

void BrokerLink::lost(const QString &problem)
{
    dropSocket();
    misc_.stop();
    connected_ = false;
    if (client_)
        mosquitto_disconnect(client_);
    problem_ = problem;
    emit changed();
    if (!running_ || retry_.isActive())
        return;
    // 1, 2, 4 … up to 60 seconds, each taken at random between its half and itself, so
    // that many programs and phones do not all come back at the same moment.
    const int ceiling = std::min(kLongestWaitSeconds, 1 << std::min(failures_++, 6));
    retry_.start(500 * ceiling + QRandomGenerator::global()->bounded(500 * ceiling + 1));
}

void BrokerLink::onConnect(mosquitto *, void *self, int rc)
{
    auto &link = *static_cast<BrokerLink *>(self);
    if (rc != 0) {
        link.lost(rc == 4 || rc == 5 ? kRefusedLogin.arg(link.brokerName()) : kRefused.arg(link.brokerName()).arg(rc));
        return;
    }
    link.connected_ = true;
    link.failures_ = 0;
    link.problem_.clear();
    // Claims at QoS 0: a broker's queue limit counts only what it must keep for QoS 1 or 2.
    mosquitto_subscribe(link.client_, nullptr, link.topic(kClaims + u'+').toUtf8().constData(), 0);
    if (!link.state_.isEmpty())
        link.send(QStringLiteral("stato"), link.state_, true);
    if (!link.winners_.isEmpty())
        link.send(QStringLiteral("vincitori"), link.winners_, true);
    for (const auto &[subtopic, payload] : std::exchange(link.unsent_, {}))
        link.send(subtopic, payload, false);
    emit link.changed();
}

void BrokerLink::onDisconnect(mosquitto *, void *self, int)
{
    auto &link = *static_cast<BrokerLink *>(self);
    if (link.running_ && link.connected_)
        link.lost(kLost.arg(link.brokerName()));
}

void BrokerLink::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    if (!message || !message->topic || message->payloadlen < 0)
        return;
    static_cast<BrokerLink *>(self)->receive(QString::fromUtf8(message->topic),
        QByteArrayView(static_cast<const char *>(message->payload), message->payloadlen), message->retain);
}

std::optional<BrokerClaim> readBrokerClaim(
    const QString &room, const QString &topic, QByteArrayView payload, bool retained)
{
    // A phone could leave a claim retained for every later connection: those are not claims.
    if (retained)
        return std::nullopt;
    const auto phone = claimingPhone(room, topic);
    if (!phone)
        return std::nullopt;
    if (payload.size() > kMaxMessageBytes)
        return BrokerClaim{*phone, Refusal{phone_texts::kTooLong}};
    PhoneMessage parsed = parsePhoneMessage(payload);
    if (std::holds_alternative<Hello>(parsed))
        return std::nullopt; // through a broker the page sends none: nothing to answer
    return BrokerClaim{*phone, std::move(parsed)};
}

void BrokerLink::receive(const QString &topic, QByteArrayView payload, bool retained)
{
    const auto read = readBrokerClaim(settings_.room, topic, payload, retained);
    if (!read || !allowClaim(read->phone))
        return;
    if (const auto *claim = std::get_if<Claim>(&read->message)) {
        answer(read->phone, phone_texts::kSent);
        emit claimReceived(read->phone, *claim);
    } else if (const auto *refusal = std::get_if<Refusal>(&read->message)) {
        answer(read->phone, refusal->text);
    }
}

bool BrokerLink::allowClaim(const QString &phone)
{
    const qint64 now = clock_.elapsed();
    constexpr qint64 kMinute = 60'000;
    if (!pace_.contains(phone) && pace_.size() >= kPhonesFollowed) {
        pace_.removeIf([now](const auto &entry) { return now - entry.value().windowStart >= kMinute; });
        if (pace_.size() >= kPhonesFollowed)
            return false;
    }
    Pace &pace = pace_[phone];
    if (pace.count == 0 || now - pace.windowStart >= kMinute) {
        pace.windowStart = now;
        pace.count = 0;
    }
    return ++pace.count <= kClaimsPerMinute;
}

void BrokerLink::send(const QString &subtopic, const QByteArray &payload, bool retain)
{
    if (!client_ || !connected_) {
        // A verdict given while the broker is away goes once it is back (the state and
        // winners are published again anyway); the oldest go first past the bound.
        if (!retain) {
            if (unsent_.size() >= kUnsentAnswers)
                unsent_.removeFirst();
            unsent_.append({subtopic, payload});
        }
        return;
    }
    const int rc = mosquitto_publish(
        client_, nullptr, topic(subtopic).toUtf8().constData(), int(payload.size()), payload.constData(), 1, retain);
    service(rc);
}

void BrokerLink::publishState(const QByteArray &message)
{
    if (message == state_)
        return;
    state_ = message;
    // Sent once the draw has returned to the event loop: the socket's write is not the draw's.
    stateDue_.start();
}

void BrokerLink::publishWinners(const QByteArray &message)
{
    if (message == winners_)
        return;
    winners_ = message;
    send(QStringLiteral("vincitori"), winners_, true);
}

void BrokerLink::answer(const QString &phone, const QString &text)
{
    if (isRoomName(phone))
        send(QStringLiteral("risposte/") + phone, verdictMessage(text), false);
}

} // namespace network::remote
