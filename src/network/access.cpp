// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/access.h"

#include <QNetworkInterface>
#include <QRandomGenerator>

namespace network {

QString newToken()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    QString token;
    for (quint32 word : words)
        token += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return token;
}

bool tokenMatches(const QString &expected, const QString &offered)
{
    const QByteArray a = expected.toUtf8();
    const QByteArray b = offered.toUtf8();
    unsigned difference = unsigned(a.size() ^ b.size());
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= unsigned(char(a[i] ^ (i < b.size() ? b[i] : char(~a[i]))));
    return difference == 0 && !a.isEmpty();
}

QStringList lanAddresses()
{
    QStringList addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                addresses << entry.ip().toString();
    }
    if (addresses.isEmpty())
        addresses << QStringLiteral("127.0.0.1");
    return addresses;
}

QStringList phoneUrls(const QStringList &addresses, quint16 port, const QString &token)
{
    QStringList urls;
    for (const QString &address : addresses)
        urls << QStringLiteral("http://%1:%2/?t=%3").arg(address).arg(port).arg(token);
    return urls;
}

bool ClaimPace::admit(quint64 phone, qint64 nowMs)
{
    const auto last = lastClaim_.constFind(phone);
    if (last != lastClaim_.cend() && nowMs - *last < kIntervalMs)
        return false;
    lastClaim_.insert(phone, nowMs);
    return true;
}

} // namespace network
