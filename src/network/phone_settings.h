// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class SettingsStore;

namespace network {

constexpr quint16 kDefaultPort = 8090;

// The caller's choices for the players' phones, kept in their own group so an evening
// survives a restart with the same QR code.
struct PhoneSettings {
    bool active = false;
    quint16 port = kDefaultPort;
    QString token;
};

// A missing or damaged token is replaced by a new one, stored at once.
PhoneSettings loadPhoneSettings(SettingsStore &store);
void savePhoneSettings(SettingsStore &store, const PhoneSettings &settings);

namespace phone_keys {
    inline const QString kActive = QStringLiteral("Rete/Attiva");
    inline const QString kPort = QStringLiteral("Rete/Porta");
    inline const QString kToken = QStringLiteral("Rete/Codice");
} // namespace phone_keys

} // namespace network
