// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Who may reach the page: the token in the QR code, and how often a phone may claim.
namespace network {

// 128 random bits from the system's cryptographic source, as 32 hex digits.
QString newToken();
// Takes as long whatever the first difference, so the token cannot be guessed a digit at a time.
bool tokenMatches(const QString &expected, const QString &offered);

// The addresses a phone on the same network can open: every IPv4 address of an interface
// that is up, or the loopback one when there is none.
QStringList lanAddresses();
// "http://ADDRESS:PORT/?t=TOKEN" for each address.
QStringList phoneUrls(const QStringList &addresses, quint16 port, const QString &token);

// At most one claim every interval from the same phone.
class ClaimPace {
public:
    static constexpr qint64 kIntervalMs = 3000;
    // Whether a claim at `nowMs` from `phone` is let through; a refused one does not restart the wait.
    bool admit(quint64 phone, qint64 nowMs);
    void forget(quint64 phone) { lastClaim_.remove(phone); }

private:
    QHash<quint64, qint64> lastClaim_;
};

} // namespace network
