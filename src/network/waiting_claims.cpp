// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/waiting_claims.h"

#include "cartelle/code.h"
#include "network/protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace network {
namespace {
    constexpr qsizetype kMaxTextChars = 16'384;

    bool acceptableOwner(const QString &phone)
    {
        if (phone.startsWith(u'#')) {
            bool number = false;
            phone.mid(1).toULongLong(&number);
            return number && phone.size() <= 21;
        }
        return acceptablePhoneId(phone.startsWith(u'@') ? phone.mid(1) : phone);
    }

    bool acceptableName(const QString &name)
    {
        return !name.isEmpty() && name.size() <= kMaxNameLength &&
               std::ranges::all_of(name, [](QChar c) { return c.isPrint() && !c.isSurrogate(); });
    }
} // namespace

QString WaitingClaims::text() const
{
    QJsonArray numbers;
    for (int n : order)
        numbers.append(n);
    QJsonArray list;
    for (const WaitingClaim &c : claims)
        list.append(QJsonObject{{QStringLiteral("phone"), c.phone}, {QStringLiteral("prize"), c.prize},
            {QStringLiteral("code"), c.code}, {QStringLiteral("name"), c.name}});
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("order"), numbers}, {QStringLiteral("claims"), list}})
            .toJson(QJsonDocument::Compact));
}

std::optional<WaitingClaims> WaitingClaims::parse(const QString &text)
{
    if (text.size() > kMaxTextChars)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    const QJsonArray numbers = document.object().value(QStringLiteral("order")).toArray();
    const QJsonArray list = document.object().value(QStringLiteral("claims")).toArray();
    if (!document.isObject() || numbers.size() > 90 || list.size() > kMaxClaims)
        return std::nullopt;
    WaitingClaims kept;
    for (const QJsonValue &value : numbers) {
        const int n = value.toInt(0);
        if (!value.isDouble() || value.toDouble() != n || n < 1 || n > 90 || kept.order.contains(n))
            return std::nullopt;
        kept.order << n;
    }
    for (const QJsonValue &value : list) {
        const QJsonObject o = value.toObject();
        const WaitingClaim claim{o.value(QStringLiteral("phone")).toString(),
            o.value(QStringLiteral("prize")).toInt(-1), o.value(QStringLiteral("code")).toString(),
            o.value(QStringLiteral("name")).toString()};
        const auto id = cartelle::parseCode(claim.code);
        if (!acceptableOwner(claim.phone) || claim.prize < 0 || claim.prize > 4 || !id ||
            cartelle::printedCode(*id) != claim.code || !acceptableName(claim.name))
            return std::nullopt;
        kept.claims << claim;
    }
    return kept;
}

} // namespace network
