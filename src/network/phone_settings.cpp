// SPDX-License-Identifier: GPL-3.0-or-later
#include "network/phone_settings.h"

#include "network/access.h"
#include "platform/settings_store.h"

#include <QRegularExpression>

namespace network {

PhoneSettings loadPhoneSettings(SettingsStore &store)
{
    PhoneSettings settings;
    settings.active = store.read(phone_keys::kActive, QStringLiteral("false")) == QLatin1String("true");
    bool isNumber = false;
    const uint port = store.read(phone_keys::kPort, QString::number(kDefaultPort)).toUInt(&isNumber);
    settings.port = isNumber && port >= 1 && port <= 65535 ? quint16(port) : kDefaultPort;
    settings.token = store.read(phone_keys::kToken, QString());
    static const QRegularExpression tokenShape(QStringLiteral("^[0-9a-f]{32}$"));
    if (!tokenShape.match(settings.token).hasMatch()) {
        settings.token = newToken();
        store.write(phone_keys::kToken, settings.token);
    }
    return settings;
}

void savePhoneSettings(SettingsStore &store, const PhoneSettings &settings)
{
    store.writeAll({{phone_keys::kActive, settings.active ? QStringLiteral("true") : QStringLiteral("false")},
        {phone_keys::kPort, QString::number(settings.port)}, {phone_keys::kToken, settings.token}});
}

} // namespace network
