// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/access.h"
#include "network/claim_notice.h"
#include "network/protocol.h"
#include "network/qr_code.h"
#include "network/waiting_claims.h"
#include "support/fakes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace network;

TEST(PhoneMessage, AcceptsOnlyWellFormedHellosAndClaims)
{
    const QByteArray longName = R"({"type":"claim","prize":0,"code":"42-3-U","name":")" + QByteArray(41, 'a') + "\"}";
    const QByteArray oversized = R"({"type":"hello","codes":[)" + QByteArray(4090, ' ') + "]}";
    const QString codes13 = QStringLiteral("\"42-3-U\",").repeated(12) + QStringLiteral("\"42-3-U\"");
    const struct {
        const char *name;
        QByteArray message;
        QString refusal; // empty when accepted
    } cases[] = {
        {"hello", R"({"type":"hello","codes":["42-3-U"," 1-1-f ","42-3-U","42-3-A"]})", {}},
        {"hello without codes", R"({"type":"hello","codes":[]})", {}},
        {"hello with a number for a code", R"({"type":"hello","codes":[42]})", phone_texts::kNotUnderstood},
        {"hello with thirteen codes", R"({"type":"hello","codes":[)" + codes13.toUtf8() + "]}",
            phone_texts::kTooManyCodes},
        {"hello with an extra field", R"({"type":"hello","codes":[],"x":1})", phone_texts::kNotUnderstood},
        {"hello with its phone and player", R"({"type":"hello","codes":[],"phone":"a1-B2","name":"Anna"})", {}},
        {"hello with a phone id of 41", R"({"type":"hello","codes":[],"phone":")" + QByteArray(41, 'a') + "\"}",
            phone_texts::kBadPhone},
        {"hello with a phone id of markup", R"({"type":"hello","codes":[],"phone":"<b>"})", phone_texts::kBadPhone},
        {"hello with a phone id and a newline", R"({"type":"hello","codes":[],"phone":"a\n"})", phone_texts::kBadPhone},
        {"claim", R"({"type":"claim","prize":4,"code":"42-3-U","name":" <b>Anna</b> "})", {}},
        {"claim for prize 5", R"({"type":"claim","prize":5,"code":"42-3-U","name":"Anna"})", phone_texts::kBadPrize},
        {"claim for prize 1.5", R"({"type":"claim","prize":1.5,"code":"42-3-U","name":"Anna"})",
            phone_texts::kBadPrize},
        {"claim for prize -1", R"({"type":"claim","prize":-1,"code":"42-3-U","name":"Anna"})", phone_texts::kBadPrize},
        {"claim for a prize beyond int",
            R"({"type":"claim","prize":35555555555555555555,"code":"42-3-U","name":"Anna"})", phone_texts::kBadPrize},
        {"claim with a prize as text", R"({"type":"claim","prize":"0","code":"42-3-U","name":"Anna"})",
            phone_texts::kNotUnderstood},
        {"claim with a wrong letter", R"({"type":"claim","prize":0,"code":"42-3-A","name":"Anna"})",
            phone_texts::kBadCode},
        {"claim without a name", R"({"type":"claim","prize":0,"code":"42-3-U","name":"  "})", phone_texts::kBadName},
        {"claim with a 41-letter name", longName, phone_texts::kBadName},
        {"claim with a control character", R"({"type":"claim","prize":0,"code":"42-3-U","name":"A\u0007"})",
            phone_texts::kBadName},
        {"claim missing its name", R"({"type":"claim","prize":0,"code":"42-3-U"})", phone_texts::kNotUnderstood},
        {"unknown type", R"({"type":"draw"})", phone_texts::kNotUnderstood},
        {"an array", R"([{"type":"hello","codes":[]}])", phone_texts::kNotUnderstood},
        {"not JSON", "hello", phone_texts::kNotUnderstood},
        {"over 4 KiB", oversized, phone_texts::kTooLong},
    };
    for (const auto &c : cases) {
        const PhoneMessage message = parsePhoneMessage(c.message);
        const auto *refusal = std::get_if<Refusal>(&message);
        EXPECT_EQ(refusal ? refusal->text : QString(), c.refusal) << c.name;
    }
    const auto hello = std::get<Hello>(parsePhoneMessage(cases[0].message));
    EXPECT_EQ(hello.cartelle, (QList<cartelle::CartellaId>{{42, 3}, {1, 1}}));
    const auto claim = std::get<Claim>(parsePhoneMessage(cases[9].message));
    EXPECT_EQ(claim.prize, 4);
    EXPECT_EQ(claim.cartella, (cartelle::CartellaId{42, 3}));
    EXPECT_EQ(claim.name, QStringLiteral("<b>Anna</b>"));
}

TEST(PhoneMessage, StateAndCartelleCarryWhatThePageDraws)
{
    LiveState live;
    live.drawnInOrder = {90, 1, 47};
    live.lastMeaning = QStringLiteral("'o muorto che parla");
    live.prizesGone = {true, true, false, false, false};
    live.prizeInPlay = 2;
    live.banner = QStringLiteral("TERNO");
    const QJsonObject state = QJsonDocument::fromJson(stateMessage(live)).object();
    EXPECT_EQ(state.value("type").toString(), QStringLiteral("state"));
    EXPECT_EQ(state.value("drawn").toArray(), QJsonArray({90, 1, 47}));
    EXPECT_EQ(state.value("gone").toArray(), QJsonArray({0, 1}));
    EXPECT_EQ(state.value("inPlay").toInt(), 2);
    EXPECT_EQ(state.value("meaning").toString(), live.lastMeaning);
    EXPECT_EQ(state.value("banner").toString(), live.banner);
    EXPECT_FALSE(state.value("tombola").toBool());

    const QJsonObject sent = QJsonDocument::fromJson(cartelleMessage({{42, 3}})).object();
    const QJsonObject cartella = sent.value("cartelle").toArray().at(0).toObject();
    EXPECT_EQ(cartella.value("code").toString(), QStringLiteral("42-3-U"));
    EXPECT_EQ(cartella.value("rows").toArray().at(1).toArray(), QJsonArray({3, 10, 0, 0, 46, 0, 68, 0, 82}));
}

TEST(Access, TokensAndClaimPace)
{
    const QString token = newToken();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(token).hasMatch()) << token.toStdString();
    EXPECT_NE(token, newToken());
    const struct {
        QString offered;
        bool matches;
    } offers[] = {{token, true}, {token.left(31), false}, {token + QLatin1Char('0'), false},
        {token.left(31) + (token.back() == u'0' ? u'1' : u'0'), false}, {QString(), false}};
    for (const auto &offer : offers)
        EXPECT_EQ(tokenMatches(token, offer.offered), offer.matches) << offer.offered.toStdString();
    EXPECT_FALSE(tokenMatches(QString(), QString()));

    ClaimPace pace;
    const struct {
        quint64 phone;
        qint64 atMs;
        bool admitted;
    } claims[] = {{1, 0, true}, {1, 2999, false}, {2, 2999, true}, {1, 3000, true}, {1, 5999, false}, {1, 6000, true}};
    for (const auto &claim : claims)
        EXPECT_EQ(pace.admit(claim.phone, claim.atMs), claim.admitted) << claim.phone << " at " << claim.atMs;

    EXPECT_EQ(phoneUrls({QStringLiteral("192.168.1.5")}, 8090, QStringLiteral("ab")),
        QStringList{QStringLiteral("http://192.168.1.5:8090/?t=ab")});
    const QImage qr = qrCodeImage(phoneUrls({QStringLiteral("192.168.1.5")}, 8090, token).first(), 4);
    ASSERT_FALSE(qr.isNull());
    // The finder pattern's corner sits just inside the four-module quiet zone.
    EXPECT_EQ(qGray(qr.pixel(15, 15)), 255);
    EXPECT_EQ(qGray(qr.pixel(16, 16)), 0);
}

TEST(ClaimNotice, SaysWhoClaimedWhatAndWhatIsMissing)
{
    // Cartella 42-3: rows {1 37 56 64 79}, {3 10 46 68 82}, {19 24 58 69 83}.
    const struct {
        int prize;
        std::vector<int> drawn;
        const char *notice;
    } cases[] = {
        {0, {1, 37}, "Ambo chiamato da Anna, cartella 42-3: valido"},
        {0, {1, 3, 19}, "Ambo chiamato da Anna, cartella 42-3: non valido: manca un numero"},
        {3, {1, 37, 56, 64}, "Cinquina chiamata da Anna, cartella 42-3: non valida: manca il 79"},
        {3, {3, 10, 46}, "Cinquina chiamata da Anna, cartella 42-3: non valida: mancano il 68 e l'82"},
        {1, {}, "Terno chiamato da Anna, cartella 42-3: non valido: mancano 3 numeri"},
        {4, {1, 37, 56, 64, 79, 3, 10, 46, 68, 82, 19, 24, 58},
            "Tombola chiamata da Anna, cartella 42-3: non valida: mancano il 69 e l'83"},
    };
    for (const auto &c : cases) {
        std::array<bool, 90> drawn{};
        for (int n : c.drawn)
            drawn[n - 1] = true;
        EXPECT_EQ(claimNotice(c.prize, QStringLiteral("Anna"), {42, 3}, drawn), QString::fromUtf8(c.notice));
    }
}

TEST(WaitingClaims, ComeBackAsKeptAndAnythingOutOfShapeIsLeftBehind)
{
    const WaitingClaims kept{
        {12, 5, 88}, {{"anna-1", 0, "42-3-U", "Anna"}, {"#17", 4, "1-1-F", "Bruno"}, {"@casa", 1, "42-3-U", "Olga"}}};
    EXPECT_EQ(WaitingClaims::parse(kept.text()), kept);
    const QString good = kept.text();
    for (const QString &damaged :
        {good.left(good.size() - 1), QString(good).replace("anna-1", "anna 1"), QString(good).replace("#17", "#x"),
            QString(good).replace("42-3-U", "42-3-A"), QString(good).replace("\"Anna\"", "\"\\u0007\""),
            QString(good).replace("88", "91"), QString(good).replace("[12,5,88]", "[12,12]"),
            QString(good).replace("\"prize\":4", "\"prize\":5"), good + QString(17'000, u' ')})
        EXPECT_FALSE(WaitingClaims::parse(damaged)) << damaged.left(200).toStdString();
}
