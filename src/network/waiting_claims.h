// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <optional>

// The claims that wait for the caller, kept with the game they belong to, so that a killed
// program brings them back when that game is back on the board.
namespace network {

struct WaitingClaim {
    QString phone; // the page's own id; "#N" for a page without one, "@ID" for a phone on the broker
    int prize = 0;
    QString code; // as printed
    QString name;
    bool operator==(const WaitingClaim &) const = default;
};

struct WaitingClaims {
    QList<int> order; // the game's numbers in the order they came
    QList<WaitingClaim> claims;
    bool operator==(const WaitingClaims &) const = default;

    static constexpr int kMaxClaims = 60;
    QString text() const;
    // Nothing when the text is not one this program wrote: too long, damaged, or with any
    // number, code, name or phone out of shape.
    static std::optional<WaitingClaims> parse(const QString &text);
};

} // namespace network
