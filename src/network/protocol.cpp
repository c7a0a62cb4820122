// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/protocol.h"

#include "cartelle/serie.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace network {
namespace {

    const QString kType = QStringLiteral("type");

    QByteArray compact(const QJsonObject &object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

    // A name is shown on the caller's window and spoken: printable characters only.
    bool acceptableName(const QString &name)
    {
        if (name.isEmpty() || name.size() > kMaxNameLength)
            return false;
        for (QChar c : name)
            if (!c.isPrint() || c.isSurrogate())
                return false;
        return true;
    }

    PhoneMessage readHello(const QJsonObject &object)
    {
        const QJsonValue codes = object.value(QStringLiteral("codes"));
        const QJsonValue phone = object.value(QStringLiteral("phone"));
        const QJsonValue name = object.value(QStringLiteral("name"));
        const qsizetype fields = 2 + (phone.isUndefined() ? 0 : 1) + (name.isUndefined() ? 0 : 1);
        if (object.size() != fields || !codes.isArray() || !(phone.isUndefined() || phone.isString()) ||
            !(name.isUndefined() || name.isString()))
            return Refusal{phone_texts::kNotUnderstood};
        if (!phone.isUndefined() && !acceptablePhoneId(phone.toString()))
            return Refusal{phone_texts::kBadPhone};
        // A name that could not claim is no reason to leave a phone without its cartelle.
        const QString trimmed = name.toString().trimmed();
        const QString player = acceptableName(trimmed) ? trimmed : QString();
        const QJsonArray list = codes.toArray();
        if (list.size() > kMaxCodesPerPhone)
            return Refusal{phone_texts::kTooManyCodes};
        Hello hello;
        for (const QJsonValue &code : list) {
            if (!code.isString())
                return Refusal{phone_texts::kNotUnderstood};
            if (const auto id = cartelle::parseCode(code.toString()); id && !hello.cartelle.contains(*id))
                hello.cartelle.append(*id);
        }
        hello.phone = phone.toString();
        hello.name = player;
        return hello;
    }

    PhoneMessage readClaim(const QJsonObject &object)
    {
        const QJsonValue prize = object.value(QStringLiteral("prize"));
        const QJsonValue code = object.value(QStringLiteral("code"));
        const QJsonValue name = object.value(QStringLiteral("name"));
        if (object.size() != 4 || !prize.isDouble() || !code.isString() || !name.isString())
            return Refusal{phone_texts::kNotUnderstood};
        const double prizeValue = prize.toDouble();
        // The range first: a number beyond int's is refused before it is ever converted.
        if (!(prizeValue >= 0 && prizeValue <= 4) || prizeValue != double(int(prizeValue)))
            return Refusal{phone_texts::kBadPrize};
        const auto id = cartelle::parseCode(code.toString());
        if (!id)
            return Refusal{phone_texts::kBadCode};
        const QString trimmed = name.toString().trimmed();
        if (!acceptableName(trimmed))
            return Refusal{phone_texts::kBadName};
        return Claim{int(prizeValue), *id, trimmed};
    }

} // namespace

bool acceptablePhoneId(const QString &phone)
{
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9-]{1,40}")));
    return shape.match(phone).hasMatch();
}

PhoneMessage parsePhoneMessage(QByteArrayView bytes)
{
    if (bytes.size() > kMaxMessageBytes)
        return Refusal{phone_texts::kTooLong};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Refusal{phone_texts::kNotUnderstood};
    const QJsonObject object = document.object();
    const QString type = object.value(kType).toString();
    if (type == QLatin1String("hello"))
        return readHello(object);
    if (type == QLatin1String("claim"))
        return readClaim(object);
    return Refusal{phone_texts::kNotUnderstood};
}

QByteArray stateMessage(const LiveState &state)
{
    QJsonArray shareable;
    for (const auto &[prize, countOut] : state.shareable)
        shareable.append(QJsonArray{prize, countOut});
    QJsonArray drawn;
    for (int n : state.drawnInOrder)
        drawn.append(n);
    QJsonArray gone;
    for (int p = 0; p < int(state.prizesGone.size()); ++p)
        if (state.prizesGone[p])
            gone.append(p);
    return compact({{kType, QStringLiteral("state")}, {QStringLiteral("drawn"), drawn},
        {QStringLiteral("meaning"), state.lastMeaning}, {QStringLiteral("gone"), gone},
        {QStringLiteral("inPlay"), state.prizeInPlay}, {QStringLiteral("banner"), state.banner},
        {QStringLiteral("tombola"), state.tombola},
        {QStringLiteral("winners"), QJsonArray::fromStringList(state.winners)}, {QStringLiteral("game"), state.game},
        {QStringLiteral("shareable"), shareable}});
}

QByteArray cartelleMessage(const QList<cartelle::CartellaId> &ids)
{
    QJsonArray list;
    for (const cartelle::CartellaId &id : ids) {
        const cartelle::Grid grid = cartelle::generateSerie(id.serie)[id.cartella - 1];
        QJsonArray rows;
        for (const auto &row : grid) {
            QJsonArray cells;
            for (int n : row)
                cells.append(n);
            rows.append(cells);
        }
        list.append(QJsonObject{{QStringLiteral("code"), cartelle::printedCode(id)},
            {QStringLiteral("name"), cartelle::cartellaName(id)}, {QStringLiteral("rows"), rows}});
    }
    return compact({{kType, QStringLiteral("cartelle")}, {QStringLiteral("cartelle"), list}});
}

QByteArray verdictMessage(const QString &text)
{
    return compact({{kType, QStringLiteral("verdict")}, {QStringLiteral("text"), text}});
}

QByteArray refusalMessage(const QString &text)
{
    return compact({{kType, QStringLiteral("refusal")}, {QStringLiteral("text"), text}});
}

} // namespace network
