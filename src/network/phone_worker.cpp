// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/phone_worker.h"

#include "network/protocol.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>

#include <sys/resource.h>

static void loadPhonePage() { Q_INIT_RESOURCE(phone_page); }

namespace network {
namespace {

    // Time a connection has to show the code; a browser sends its whole request at once.
    constexpr qint64 kRequestDeadlineMs = 4'000;
    // Connections one address may hold before showing the code: a page load opens a few.
    constexpr int kStrangersPerAddress = 16;
    // Answers one phone may leave unread before it is dropped.
    constexpr qint64 kMaxUnsentBytes = 1 << 20;
    const char *const kShownCode = "shownCode";
    // Sockets besides the phones': page loads, and room to tell the thousand-and-first it is full.
    constexpr int kMaxConnections = PhoneWorker::kMaxPhones + 64;

    const QByteArray kScanAgainPage = QStringLiteral(
        "<!doctype html><html lang=\"it\"><meta charset=\"utf-8\"><meta name=\"viewport\" "
        "content=\"width=device-width\"><title>Tombola</title><p>Codice non valido o scaduto: inquadra di "
        "nuovo il QR code mostrato dal banco.</p></html>")
                                          .toUtf8();
    const QByteArray kNotFound = QByteArrayLiteral("Non trovato");
    const QByteArray kTooLarge = QByteArrayLiteral("Richiesta troppo grande");
    const QByteArray kMethodRefused = QByteArrayLiteral("Metodo non consentito");
    constexpr const char *kPlainText = "text/plain; charset=utf-8";
    constexpr const char *kHtml = "text/html; charset=utf-8";
    const QByteArray kTokenPlaceholder = QByteArrayLiteral("@TOKEN@");

    struct Asset {
        const char *path;
        const char *resource;
        const char *type;
    };
    constexpr std::array<Asset, 6> kAssets{{
        {"/", ":/phone_page/index.html", kHtml},
        {"/style.css", ":/phone_page/style.css", "text/css; charset=utf-8"},
        {"/app.js", ":/phone_page/app.js", "text/javascript; charset=utf-8"},
        {"/mqtt.js", ":/phone_page/mqtt.js", "text/javascript; charset=utf-8"},
        {"/remote.js", ":/phone_page/remote.js", "text/javascript; charset=utf-8"},
        {"/cartelle.js", ":/phone_page/cartelle.js", "text/javascript; charset=utf-8"},
    }};

    QString tokenOf(const QUrl &url) { return QUrlQuery(url).queryItemValue(QStringLiteral("t")); }

    // Refuses what a silent, slow or flooding client would tie up before the HTTP parser sees it:
    // a connection that has not shown the code within the deadline is closed, and one address
    // holds only a few such connections, so that one machine cannot take the others' places.
    class GuardedTcpServer : public QTcpServer {
    protected:
        void incomingConnection(qintptr descriptor) override
        {
            // A socket turned WebSocket loses every connection made here, so count by pointer.
            std::erase_if(open_,
                [](const QPointer<QTcpSocket> &s) { return !s || s->state() == QAbstractSocket::UnconnectedState; });
            auto *socket = new QTcpSocket(this);
            if (!socket->setSocketDescriptor(descriptor) || open_.size() >= kMaxConnections ||
                strangersFrom(socket->peerAddress()) >= kStrangersPerAddress) {
                socket->abort();
                socket->deleteLater();
                return;
            }
            open_.emplace_back(socket);
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                if (socket->bytesAvailable() > kMaxMessageBytes) {
                    socket->write("HTTP/1.1 413 Payload Too Large\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                }
            });
            QTimer::singleShot(kRequestDeadlineMs, socket, [socket] {
                if (!socket->property(kShownCode).toBool())
                    socket->abort();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            addPendingConnection(socket);
        }

    private:
        qsizetype strangersFrom(const QHostAddress &address) const
        {
            return std::count_if(open_.begin(), open_.end(), [&](const QPointer<QTcpSocket> &s) {
                return s && !s->property(kShownCode).toBool() && s->peerAddress() == address;
            });
        }

        std::vector<QPointer<QTcpSocket>> open_;
    };

    // A phone that lets its answers pile up unread is dropped instead of kept in memory.
    void sendTo(QWebSocket *socket, const QByteArray &message)
    {
        if (socket->bytesToWrite() > kMaxUnsentBytes) {
            QMetaObject::invokeMethod(socket, &QWebSocket::abort, Qt::QueuedConnection);
            return;
        }
        socket->sendTextMessage(QString::fromUtf8(message));
    }

} // namespace

class PageServer : public QAbstractHttpServer {
public:
    explicit PageServer(const QString &token) : token_(token) { }
    void setToken(const QString &token) { token_ = token; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        auto responder = makeResponder(request, socket);
        qsizetype size = request.url().toEncoded().size() + request.body().size();
        for (const auto &[name, value] : request.headers())
            size += name.size() + value.size();
        if (size > kMaxMessageBytes) {
            reply(responder, kTooLarge, kPlainText, QHttpServerResponder::StatusCode::PayloadTooLarge);
            return true;
        }
        const QString path = request.url().path();
        const bool known =
            path == QLatin1String("/ws") ||
            std::any_of(kAssets.begin(), kAssets.end(), [&](const Asset &a) { return path == QLatin1String(a.path); });
        if (!known)
            return false;
        if (request.method() != QHttpServerRequest::Method::Get) {
            reply(responder, kMethodRefused, kPlainText, QHttpServerResponder::StatusCode::MethodNotAllowed);
            return true;
        }
        if (!tokenMatches(token_, tokenOf(request.url()))) {
            reply(responder, kScanAgainPage, kHtml, QHttpServerResponder::StatusCode::Forbidden);
            return true;
        }
        socket->setProperty(kShownCode, true);
        if (path == QLatin1String("/ws")) {
            if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
                return true; // left unanswered, the connection becomes a WebSocket
            reply(responder, kNotFound, kPlainText, QHttpServerResponder::StatusCode::NotFound);
            return true;
        }
        for (const Asset &asset : kAssets)
            if (path == QLatin1String(asset.path)) {
                QFile file(QString::fromLatin1(asset.resource));
                file.open(QIODevice::ReadOnly);
                QByteArray body = file.readAll();
                body.replace(kTokenPlaceholder, token_.toHtmlEscaped().toUtf8());
                reply(responder, body, asset.type, QHttpServerResponder::StatusCode::Ok);
            }
        return true;
    }

    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        auto responder = makeResponder(request, socket);
        reply(responder, kNotFound, kPlainText, QHttpServerResponder::StatusCode::NotFound);
    }

private:
    static void reply(QHttpServerResponder &responder, const QByteArray &body, const char *type,
        QHttpServerResponder::StatusCode status)
    {
        // The page may reach nothing but this server.
        static const QByteArray policy = QByteArrayLiteral(
            "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
            "connect-src 'self' ws: wss:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
        responder.write(body,
            {{"Content-Type", type}, {"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"},
                {"Referrer-Policy", "no-referrer"}, {"Content-Security-Policy", policy}},
            status);
    }

    QString token_;
};

PhoneWorker::PhoneWorker()
{
    loadPhonePage();
    clock_.start();
    housekeeping_.setInterval(5'000);
    housekeeping_.setParent(this);
    connect(&housekeeping_, &QTimer::timeout, this, [this] { tick(now()); });
}

PhoneWorker::~PhoneWorker() { dropAll(); }

// A thousand phones need more open files than the usual soft limit of 1024 allows.
static void allowEveryPhoneASocket()
{
    rlimit files{};
    constexpr rlim_t kWanted = 4096;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < kWanted) {
        files.rlim_cur = std::min(kWanted, files.rlim_max);
        setrlimit(RLIMIT_NOFILE, &files);
    }
}

void PhoneWorker::start(quint16 port, const QString &token)
{
    stop();
    allowEveryPhoneASocket();
    token_ = token;
    auto tcp = std::make_unique<GuardedTcpServer>();
    tcp->setMaxPendingConnections(kMaxConnections);
    // A burst of connections waits to be refused or served instead of seeing its SYNs dropped.
    tcp->setListenBacklogSize(kMaxConnections);
    if (!tcp->listen(QHostAddress::Any, port)) {
        emit failed(QStringLiteral("La porta %1 non si può aprire: %2").arg(port).arg(tcp->errorString()));
        return;
    }
    const quint16 actualPort = tcp->serverPort();
    server_ = std::make_unique<PageServer>(token);
    server_->bind(tcp.release());
    connect(server_.get(), &QAbstractHttpServer::newWebSocketConnection, this, &PhoneWorker::takeSockets);
    housekeeping_.start();
    emit started(actualPort);
}

void PhoneWorker::stop()
{
    housekeeping_.stop();
    dropAll();
    server_.reset();
}

void PhoneWorker::setToken(const QString &token)
{
    token_ = token;
    if (server_)
        server_->setToken(token);
    dropAll();
}

void PhoneWorker::dropAll()
{
    const bool hadPhones = !phones_.isEmpty();
    for (const Phone &phone : std::as_const(phones_))
        if (phone.socket) {
            phone.socket->disconnect(this);
            phone.socket->abort();
            phone.socket->deleteLater();
        }
    phones_.clear();
    if (hadPhones)
        emit phoneCountChanged(0);
}

void PhoneWorker::takeSockets()
{
    while (server_ && server_->hasPendingWebSocketConnections()) {
        QWebSocket *socket = server_->nextPendingWebSocketConnection().release();
        socket->setParent(this);
        socket->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
        socket->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        // The HTTP side answers a wrong token with 403 yet still hands the socket over.
        if (!tokenMatches(token_, tokenOf(socket->requestUrl()))) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, phone_texts::kScanAgain);
            continue;
        }
        if (phones_.size() >= kMaxPhones) {
            socket->sendTextMessage(QString::fromUtf8(refusalMessage(phone_texts::kFull)));
            socket->close(QWebSocketProtocol::CloseCodeGoingAway, phone_texts::kFull);
            continue;
        }
        const quint64 id = nextPhone_++;
        phones_.insert(id, Phone{socket, now(), now(), false, -kAnswerEveryMs, -kAnswerEveryMs, {}, 0});
        connect(socket, &QWebSocket::textMessageReceived, this, [this, id](const QString &text) { receive(id, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
            [this, id](const QByteArray &) { receive(id, QString()); });
        connect(socket, &QWebSocket::pong, this, [this, id] {
            if (auto phone = phones_.find(id); phone != phones_.end())
                phone->heardMs = now();
        });
        connect(socket, &QWebSocket::disconnected, this, [this, id] {
            if (phones_.remove(id)) {
                emit phoneLeft(id);
                emit phoneCountChanged(int(phones_.size()));
            }
        });
        emit phoneCountChanged(int(phones_.size()));
    }
}

void PhoneWorker::receive(quint64 id, const QString &text)
{
    auto phone = phones_.find(id);
    if (phone == phones_.end() || !phone->socket)
        return;
    QWebSocket *socket = phone->socket;
    // The page says a few things a minute: a phone that floods is dropped before it is read.
    if (now() - phone->heardMs >= kAnswerEveryMs)
        phone->heardInBurst = 0;
    phone->heardMs = now();
    if (++phone->heardInBurst > kMaxMessagesInBurst) {
        if (phone->heardInBurst == kMaxMessagesInBurst + 1)
            QMetaObject::invokeMethod(socket, &QWebSocket::abort, Qt::QueuedConnection);
        return;
    }
    const PhoneMessage message = parsePhoneMessage(text.toUtf8());
    if (const auto *refusal = std::get_if<Refusal>(&message)) {
        if (now() - phone->refusedMs >= kAnswerEveryMs) {
            phone->refusedMs = now();
            sendTo(socket, refusalMessage(refusal->text));
        }
    } else if (const auto *hello = std::get_if<Hello>(&message)) {
        phone->greeted = true;
        // A flood of hellos is answered once a second, with the latest one.
        const bool waiting = !phone->waitingHello.isEmpty();
        phone->waitingHello = cartelleMessage(hello->cartelle);
        const qint64 wait = phone->helloMs + kAnswerEveryMs - now();
        if (wait <= 0)
            answerHello(id);
        else if (!waiting)
            QTimer::singleShot(wait, this, [this, id] { answerHello(id); });
        QStringList codes;
        for (const cartelle::CartellaId &cartella : hello->cartelle)
            codes << cartelle::printedCode(cartella);
        emit phoneGreeted(id, hello->phone, hello->name, codes);
    } else if (const auto *claim = std::get_if<Claim>(&message)) {
        // A prize already won is for the caller to judge: it is shared when completed with the same number.
        // Paced by address, so that a phone reconnecting does not claim again at once.
        if (!pace_.admit(qHash(socket->peerAddress()), now()))
            socket->sendTextMessage(QString::fromUtf8(refusalMessage(phone_texts::kTooSoon)));
        else {
            socket->sendTextMessage(QString::fromUtf8(verdictMessage(phone_texts::kSent)));
            emit claimReceived(id, claim->prize, cartelle::printedCode(claim->cartella), claim->name);
        }
    }
}

void PhoneWorker::answerHello(quint64 id)
{
    auto phone = phones_.find(id);
    if (phone == phones_.end() || !phone->socket || phone->waitingHello.isEmpty())
        return;
    phone->helloMs = now();
    sendTo(phone->socket, std::exchange(phone->waitingHello, {}));
    if (!state_.isEmpty())
        sendTo(phone->socket, state_);
}

void PhoneWorker::publish(const QByteArray &stateMessage, quint8 prizesGone)
{
    state_ = stateMessage;
    prizesGone_ = prizesGone;
    for (const Phone &phone : std::as_const(phones_))
        if (phone.socket && phone.greeted)
            sendTo(phone.socket, stateMessage);
}

void PhoneWorker::answer(quint64 id, const QString &verdict)
{
    if (const auto phone = phones_.constFind(id); phone != phones_.cend() && phone->socket)
        phone->socket->sendTextMessage(QString::fromUtf8(verdictMessage(verdict)));
}

void PhoneWorker::tick(qint64 nowMs)
{
    for (const Phone &phone : std::as_const(phones_)) {
        if (!phone.socket)
            continue;
        if ((!phone.greeted && nowMs - phone.connectedMs > kHelloTimeoutMs) || nowMs - phone.heardMs > kSilenceLimitMs)
            phone.socket->abort();
        else if (nowMs - phone.heardMs > kPingEveryMs)
            phone.socket->ping();
    }
}

} // namespace network
