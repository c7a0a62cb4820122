// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/broker_link.h"

#include <gtest/gtest.h>

using namespace network::remote;

TEST(BrokerLink, ReadsOnlyAddressesOfTheirShape)
{
    const struct {
        const char *text;
        bool ok, tls;
        const char *host;
        int port;
    } cases[] = {
        {"mqtt://localhost:1883", true, false, "localhost", 1883},
        {"mqtts://broker.example.org:8883", true, true, "broker.example.org", 8883},
        {"mqtt://[::1]:1883", true, false, "::1", 1883},
        {"mqtt://localhost", false, false, "", 0},
        {"mqtt://localhost:0", false, false, "", 0},
        {"mqtt://localhost:70000", false, false, "", 0},
        {"ws://localhost:1883", false, false, "", 0},
        {"mqtt://user:pw@localhost:1883", false, false, "", 0},
    };
    for (const auto &c : cases) {
        const auto address = parseBrokerAddress(QString::fromLatin1(c.text));
        ASSERT_EQ(address.has_value(), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address->tls, c.tls) << c.text;
            EXPECT_EQ(address->host, QString::fromLatin1(c.host)) << c.text;
            EXPECT_EQ(address->port, c.port) << c.text;
        }
    }
    EXPECT_TRUE(isPageAddress(QStringLiteral("wss://broker.example.org:8081/mqtt")));
    EXPECT_FALSE(isPageAddress(QStringLiteral("https://broker.example.org")));
    EXPECT_FALSE(isPageAddress(QStringLiteral("ws://x:1/?a=b")));
}

TEST(BrokerLink, TakesClaimsOnlyFromItsRoomsClaimTopics)
{
    const QString room = QStringLiteral("casa-1");
    const struct {
        const char *topic;
        const char *phone; // nullptr: not a claim
    } cases[] = {
        {"sorteggina/casa-1/chiamate/tel-42", "tel-42"},
        {"sorteggina/casa-2/chiamate/tel-42", nullptr},
        {"sorteggina/casa-1/chiamate/", nullptr},
        {"sorteggina/casa-1/chiamate/a/b", nullptr},
        {"sorteggina/casa-1/chiamate/+", nullptr},
        {"sorteggina/casa-1/risposte/tel-42", nullptr},
    };
    for (const auto &c : cases) {
        const auto phone = claimingPhone(room, QString::fromLatin1(c.topic));
        EXPECT_EQ(phone.has_value(), c.phone != nullptr) << c.topic;
        if (phone && c.phone) {
            EXPECT_EQ(*phone, QString::fromLatin1(c.phone));
        }
    }
    EXPECT_TRUE(isRoomName(newRoomName()));
    EXPECT_EQ(pageLink(QStringLiteral("http://10.0.0.2:8090/?t=ab"), QStringLiteral("wss://b:8081"), room),
        QStringLiteral("http://10.0.0.2:8090/?t=ab&broker=wss%3A%2F%2Fb%3A8081&stanza=casa-1"));
}

TEST(BrokerLink, AnswersOnlyClaimsOfItsRoomThatWereNotLeftRetained)
{
    const QString room = QStringLiteral("casa-1");
    const QByteArray claim = R"({"type":"claim","prize":0,"code":"42-3-U","name":"Anna"})";
    const struct {
        const char *topic;
        QByteArray payload;
        bool retained;
        int answer; // -1 none, 0 the claim, 1 a refusal
    } cases[] = {
        {"sorteggina/casa-1/chiamate/p-1", claim, false, 0},
        {"sorteggina/casa-1/chiamate/p-1", claim, true, -1},
        {"sorteggina/casa-2/chiamate/p-1", claim, false, -1},
        {"sorteggina/casa-1/chiamate/p-1", R"({"type":"hello","codes":[]})", false, -1},
        {"sorteggina/casa-1/chiamate/p-1", "not json", false, 1},
        {"sorteggina/casa-1/chiamate/p-1", QByteArray(5000, ' '), false, 1},
    };
    for (const auto &c : cases) {
        const auto read = readBrokerClaim(room, QString::fromLatin1(c.topic), c.payload, c.retained);
        EXPECT_EQ(read ? int(read->message.index()) - 1 : -1, c.answer) << c.topic << c.payload.left(20).constData();
    }
}
