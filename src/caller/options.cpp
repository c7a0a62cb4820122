// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/options.h"

#include "platform/settings_store.h"

namespace options {

std::optional<int> read(SettingsStore &store, const QString &key)
{
    const QString text = store.read(key, QStringLiteral("0"));
    // toInt stops at an embedded NUL: "1\0junk" would load as 1.
    if (text.contains(QChar(0)))
        return std::nullopt;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 2)
        return std::nullopt;
    return value;
}

void write(SettingsStore &store, const QString &key, int value)
{
    store.write(key, QString::number(value));
}

} // namespace options
