// SPDX-License-Identifier: GPL-3.0-or-later
#include "caller/stored.h"

#include <algorithm>

namespace stored {

QString read(SettingsStore &store, const Text &key) { return store.read(key.path, key.fallback); }

bool read(SettingsStore &store, const Flag &key) { return store.read(key.path, {}).trimmed() == QLatin1String("1"); }

bool read(SettingsStore &store, const TrueFalse &key)
{
    const QString text = store.read(key.path, {}).trimmed();
    return text == QLatin1String("true") || text == QLatin1String("1");
}

int read(SettingsStore &store, const Number &key)
{
    bool ok = false;
    const int value = store.read(key.path, {}).trimmed().toInt(&ok);
    return ok ? std::clamp(value, key.min, key.max) : key.fallback;
}

std::optional<int> readExact(SettingsStore &store, const Number &key)
{
    const QString text = store.read(key.path, {}).trimmed();
    if (text.isEmpty())
        return key.fallback;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || text.contains(QChar(0)) || value < key.min || value > key.max)
        return std::nullopt;
    return value;
}

std::optional<int> readBox(SettingsStore &store, const QString &path)
{
    const QString text = store.read(path, QStringLiteral("0"));
    // toInt stops at an embedded NUL: "1\0junk" would load as 1.
    if (text.contains(QChar(0)))
        return std::nullopt;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 2)
        return std::nullopt;
    return value;
}

Entry entry(const Text &key, const QString &value) { return {key.path, value}; }

Entry entry(const Flag &key, bool on) { return {key.path, on ? QStringLiteral("1") : QStringLiteral("0")}; }

Entry entry(const TrueFalse &key, bool on) { return {key.path, on ? QStringLiteral("true") : QStringLiteral("false")}; }

Entry entry(const Number &key, int value) { return {key.path, QString::number(std::clamp(value, key.min, key.max))}; }

std::optional<SavedGame> savedGame(SettingsStore &store)
{
    return SavedGame::parse(read(store, kSavedGame), read(store, kDrawOrder), read(store, kTombolinoState));
}

void saveGame(SettingsStore &store, const SavedGame &game)
{
    store.writeBehind({entry(kSavedGame, game.text()), entry(kDrawOrder, game.orderText()),
        entry(kTombolinoState, game.tombolinoText()), entry(kGameEnded, false)});
}

VoiceChoice voiceChoice(SettingsStore &store)
{
    return {read(store, kVoiceModule), read(store, kVoiceName), read(store, kVoiceRate), read(store, kVoicePitch),
        read(store, kVoiceVolume)};
}

void saveVoiceChoice(SettingsStore &store, const VoiceChoice &choice)
{
    store.writeAll({entry(kVoiceModule, choice.module), entry(kVoiceName, choice.voice), entry(kVoiceRate, choice.rate),
        entry(kVoicePitch, choice.pitch), entry(kVoiceVolume, choice.volume)});
}

} // namespace stored
