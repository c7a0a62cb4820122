// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/phone_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QWebSocket>
#include <gtest/gtest.h>

using namespace network;

namespace {

const QString kToken = QStringLiteral("0123456789abcdef0123456789abcdef");

struct Served {
    PhoneServer server;
    quint16 port = 0;
    Served()
    {
        QSignalSpy started(&server, &PhoneServer::started);
        server.start(0, kToken);
        if (started.wait(5000))
            port = started.first().first().value<quint16>();
    }
    QUrl url(const QString &path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)); }
};

QJsonObject nextMessage(QSignalSpy &received)
{
    if (received.isEmpty() && !received.wait(5000))
        return {};
    return QJsonDocument::fromJson(received.takeFirst().first().toString().toUtf8()).object();
}

} // namespace

TEST(PhoneServer, ServesThePageOnlyWithTheToken)
{
    Served served;
    ASSERT_NE(served.port, 0);
    QNetworkAccessManager network;
    const struct {
        QString path;
        int status;
        const char *body;
    } requests[] = {
        {QStringLiteral("/?t=") + kToken, 200, "<html lang=\"it\">"},
        {QStringLiteral("/app.js?t=") + kToken, 200, "function parseCode"},
        {QStringLiteral("/"), 403, "inquadra di nuovo"},
        {QStringLiteral("/?t=") + kToken.left(31) + u'0', 403, "inquadra di nuovo"},
        {QStringLiteral("/etc/passwd?t=") + kToken, 404, ""},
        {QStringLiteral("/?t=") + kToken + QStringLiteral("&x=") + QString(5000, u'a'), 413, ""},
    };
    for (const auto &r : requests) {
        std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(served.url(r.path))));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        ASSERT_TRUE(finished.wait(5000)) << r.path.left(40).toStdString();
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), r.status)
            << r.path.left(40).toStdString();
        EXPECT_TRUE(reply->readAll().contains(r.body)) << r.path.left(40).toStdString();
    }
}

TEST(PhoneServer, PhonesFollowTheStateAndClaimWithinLimits)
{
    Served served;
    ASSERT_NE(served.port, 0);
    QSignalSpy count(&served.server, &PhoneServer::phoneCountChanged);
    QSignalSpy claims(&served.server, &PhoneServer::claimReceived);

    QWebSocket stranger;
    QSignalSpy strangerClosed(&stranger, &QWebSocket::disconnected);
    stranger.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?t=wrong").arg(served.port)));
    ASSERT_TRUE(strangerClosed.wait(5000));

    QWebSocket phone;
    QSignalSpy received(&phone, &QWebSocket::textMessageReceived);
    QSignalSpy connected(&phone, &QWebSocket::connected);
    phone.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?t=%2").arg(served.port).arg(kToken)));
    ASSERT_TRUE(connected.wait(5000));
    phone.sendTextMessage(QStringLiteral(R"({"type":"hello","codes":["42-3-U"]})"));
    EXPECT_EQ(nextMessage(received).value("type").toString(), QStringLiteral("cartelle"));
    ASSERT_TRUE(!count.isEmpty() || count.wait(5000));
    EXPECT_EQ(count.last().first().toInt(), 1);

    LiveState live;
    live.drawnInOrder = {1, 37};
    // A prize already won is still the caller's to judge: it may be shared.
    live.prizesGone = {true, false, false, false, false};
    live.prizeInPlay = 0;
    served.server.publish(live);
    EXPECT_EQ(nextMessage(received).value("drawn").toArray().size(), 2);

    const QString claim = QStringLiteral(R"({"type":"claim","prize":%1,"code":"42-3-u","name":"Anna"})");
    phone.sendTextMessage(claim.arg(0));
    EXPECT_EQ(nextMessage(received).value("text").toString(), phone_texts::kSent);
    ASSERT_TRUE(!claims.isEmpty() || claims.wait(5000));
    EXPECT_EQ(
        claims.first(), (QVariantList{claims.first().first(), 0, QStringLiteral("42-3-U"), QStringLiteral("Anna")}));
    served.server.answer(claims.first().first().value<quint64>(), QStringLiteral("Ambo valido"));
    EXPECT_EQ(nextMessage(received).value("text").toString(), QStringLiteral("Ambo valido"));

    phone.sendTextMessage(claim.arg(1));
    EXPECT_EQ(nextMessage(received).value("text").toString(), phone_texts::kTooSoon);
    phone.sendTextMessage(QStringLiteral("{\"type\":\"draw\"}"));
    EXPECT_EQ(nextMessage(received).value("type").toString(), QStringLiteral("refusal"));
    EXPECT_EQ(claims.size(), 1);

    // A new code drops every phone; stopping closes the port.
    QSignalSpy phoneClosed(&phone, &QWebSocket::disconnected);
    served.server.setToken(QStringLiteral("another"));
    ASSERT_TRUE(phoneClosed.wait(5000));
    served.server.stop();
    QWebSocket late;
    QSignalSpy lateError(&late, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error));
    late.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?t=another").arg(served.port)));
    ASSERT_TRUE(lateError.wait(5000));
    EXPECT_EQ(lateError.first().first().value<QAbstractSocket::SocketError>(), QAbstractSocket::ConnectionRefusedError);
}

TEST(PhoneServer, APortInUseIsAProblemNotACrash)
{
    Served first;
    ASSERT_NE(first.port, 0);
    PhoneServer second;
    QSignalSpy failed(&second, &PhoneServer::failed);
    second.start(first.port, kToken);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.first().first().toString().contains(QString::number(first.port)));
}
