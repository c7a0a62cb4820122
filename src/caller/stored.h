// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "announcer/announcer.h"
#include "game/board.h"
#include "game/saved_game.h"
#include "platform/speech_dispatcher_voice.h"

#include <QString>
#include <array>
#include <optional>
#include <utility>

#include "platform/settings_store.h"

// Every group and key the program keeps in the settings store, with its type and its
// default; nothing else reads or writes the store. The values keep their text on disk.
namespace stored {

// Any text; the default when never written.
struct Text {
    QString path;
    QString fallback = {};
};
// "1" on, anything else off; written "1" and "0".
struct Flag {
    QString path;
};
// "true" on ("1" read as on too), anything else off; written "true" and "false".
struct TrueFalse {
    QString path;
};
// A whole number kept within its bounds; text that is no number reads as the default.
struct Number {
    QString path;
    int fallback, min, max;
};
// A box's state, "0" (also when never written), "1" or "2"; other text reads as nothing,
// so that the box stays as it was.
template <typename State> struct Box {
    QString path;
};

QString read(SettingsStore &store, const Text &key);
bool read(SettingsStore &store, const Flag &key);
bool read(SettingsStore &store, const TrueFalse &key);
int read(SettingsStore &store, const Number &key);
// The stored number when it is one within its bounds, the default when never written;
// nothing for any other text, so that the caller can refuse it by name.
std::optional<int> readExact(SettingsStore &store, const Number &key);
std::optional<int> readBox(SettingsStore &store, const QString &path);
template <typename State> std::optional<State> read(SettingsStore &store, const Box<State> &key)
{
    const auto value = readBox(store, key.path);
    return value ? std::optional<State>(State(*value)) : std::nullopt;
}

// A value as it is written, for writing several together.
using Entry = std::pair<QString, QString>;
Entry entry(const Text &key, const QString &value);
Entry entry(const Flag &key, bool on);
Entry entry(const TrueFalse &key, bool on);
Entry entry(const Number &key, int value);
template <typename State> Entry entry(const Box<State> &key, State value)
{
    return {key.path, QString::number(int(value))};
}
template <typename Key, typename Value> void write(SettingsStore &store, const Key &key, const Value &value)
{
    store.writeAll({entry(key, value)});
}

// [Settaggio]: the options of the first version and its saved game, in their old format.
// "Ambo" … "Tombola", a ticked prize left out of every game.
inline const std::array<Box<PrizeBox>, board::kPrizes> kPrizeOptions = [] {
    std::array<Box<PrizeBox>, board::kPrizes> keys;
    for (int prize = 0; prize < board::kPrizes; ++prize)
        keys[prize].path = QStringLiteral("Settaggio/") + board::kPrizeNames[prize];
    return keys;
}();
inline const Box<Scandito> kScandito{QStringLiteral("Settaggio/Scandito")};
inline const Box<Smorfia> kSmorfia{QStringLiteral("Settaggio/Smorfia")};
inline const Text kSavedGame{QStringLiteral("Settaggio/SalvaUlt"), QStringLiteral("0-0-0-0-0")};
// [Partita]: what the saved game's old format has no room for.
inline const Text kDrawOrder{QStringLiteral("Partita/Ordine")};
inline const Text kTombolinoState{QStringLiteral("Partita/Tombolino")};
// "1" once a new game has ended the saved one; a saved game with numbers out and not ended
// so was cut short by a kill.
inline const Flag kGameEnded{QStringLiteral("Partita/Chiusa")};
// [Opzioni]
inline const Flag kTombolinoPlayed{QStringLiteral("Opzioni/Tombolino")};
// [Sala]: the players' screen, open at the last quit, and the screen it was on.
inline const Flag kHallOpen{QStringLiteral("Sala/Aperta")};
inline const Text kHallScreen{QStringLiteral("Sala/Schermo")};
// [Voce]: speech-dispatcher's output module and voice, rate, pitch and volume.
inline const Text kVoiceModule{QStringLiteral("Voce/Modulo")};
inline const Text kVoiceName{QStringLiteral("Voce/Voce")};
inline const Number kVoiceRate{QStringLiteral("Voce/Velocita"), 0, -100, 100};
inline const Number kVoicePitch{QStringLiteral("Voce/Tono"), 0, -100, 100};
inline const Number kVoiceVolume{QStringLiteral("Voce/Volume"), 0, -100, 100};
// "La mia voce": the numbers said with the family's recorded takes where there is one.
inline const TrueFalse kOwnVoice{QStringLiteral("Voce/Registrata")};
// [Estrazione]: automatic calling, a number every so many seconds.
inline const Number kAutoCallSeconds{QStringLiteral("Estrazione/Secondi"), 8, 3, 30};
// [Serata]: the record of the evening's games, prizes and winners.
inline const Text kEveningRecord{QStringLiteral("Serata/Registro")};
// [Rete]: the players' phones, the port they connect to and the code they need.
inline const TrueFalse kNetworkOn{QStringLiteral("Rete/Attiva")};
inline const Number kNetworkPort{QStringLiteral("Rete/Porta"), 8090, 1024, 65535};
inline const Text kNetworkCode{QStringLiteral("Rete/Codice")};
// [Chiamate]: the phones' claims waiting for the caller, with the game they belong to.
inline const Text kWaitingClaims{QStringLiteral("Chiamate/InAttesa")};
// [Remoto]: players beyond the hall through an MQTT broker: the program's own address of it
// (mqtt:// or mqtts://), the WebSocket address the phones use, the room, and the program's login.
inline const TrueFalse kRemoteOn{QStringLiteral("Remoto/Attiva")};
inline const Text kRemoteBroker{QStringLiteral("Remoto/Broker")};
inline const Text kRemotePage{QStringLiteral("Remoto/Pagina")};
inline const Text kRemoteRoom{QStringLiteral("Remoto/Stanza")};
inline const Text kRemoteUser{QStringLiteral("Remoto/Utente")};
inline const Text kRemotePassword{QStringLiteral("Remoto/Password")};

// The game in progress, written together; nothing when the saved text is missing or damaged.
std::optional<SavedGame> savedGame(SettingsStore &store);
void saveGame(SettingsStore &store, const SavedGame &game);
VoiceChoice voiceChoice(SettingsStore &store);
void saveVoiceChoice(SettingsStore &store, const VoiceChoice &choice);

} // namespace stored
