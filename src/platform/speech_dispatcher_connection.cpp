// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_connection.h"

#include "platform/speech_text.h"

#include <QFile>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

SpeechDispatcherConnection::SpeechDispatcherConnection(const QString &address, MessageEvent messageEvent)
    : messageEvent_(std::move(messageEvent)),
      socketPath_(QFile::encodeName(address.startsWith(QLatin1String("unix_socket:")) ? address.mid(12) : address))
{
}

SpeechOutcome SpeechDispatcherConnection::connect(const VoiceChoice &choice)
{
    disconnect();
    SpeechOutcome outcome;
    connection_ = openConnection(SPD_MODE_THREADED, &outcome.error);
    if (!connection_)
        return outcome;
    requested_ = choice;
    // Not spd_get_client_id: it reads a missing reply when the connection breaks.
    char *reply = nullptr;
    clientId_ =
        spd_execute_command_with_reply(connection_, "HISTORY GET CLIENT_ID", &reply) == 0 ? clientIdOf(reply) : 0;
    free(reply);
    if (clientId_ > 0) {
        std::lock_guard lock(registryMutex);
        connectionsByClient[clientId_] = this;
    }
    connection_->callback_begin = connection_->callback_end = connection_->callback_cancel =
        &SpeechDispatcherConnection::messageEvent;
    // Only the language unless something was chosen: speechd.conf picks module and voice.
    bool ok = clientId_ > 0 &&
              spd_set_notification_on(connection_, SPDNotification(SPD_BEGIN | SPD_END | SPD_CANCEL)) == 0 &&
              spd_set_language(connection_, "it") == 0;
    QString voice = choice.voice;
    if (ok && !choice.module.isEmpty()) {
        // speech-dispatcher accepts any module name and quietly speaks with its default
        // when the module is not running; only the list tells.
        char **modules = spd_list_modules(connection_);
        bool running = false;
        for (int i = 0; modules && modules[i]; ++i)
            running = running || choice.module == QString::fromUtf8(modules[i]);
        ok = modules != nullptr;
        free_spd_modules(modules);
        if (running) {
            ok = ok && spd_set_output_module(connection_, choice.module.toUtf8().constData()) == 0;
        } else {
            outcome.failedModule = choice.module;
            voice.clear(); // a voice belongs to its module
        }
    }
    // A voice name goes to the server as it is, in a command line of its own: only a listed one.
    if (ok && !voice.isEmpty() && !voiceListed(choice.module, voice)) {
        outcome.failedVoice = choice.voice;
        voice.clear();
    }
    ok = ok && (voice.isEmpty() || spd_set_synthesis_voice(connection_, voice.toUtf8().constData()) == 0);
    ok = ok && (!choice.rate || spd_set_voice_rate(connection_, choice.rate) == 0);
    ok = ok && (!choice.pitch || spd_set_voice_pitch(connection_, choice.pitch) == 0);
    ok = ok && (!choice.volume || spd_set_volume(connection_, choice.volume) == 0);
    if (!ok) {
        outcome.error = QStringLiteral("the server did not take the settings");
        disconnect();
    }
    outcome.ok = ok;
    return outcome;
}

// SSIP has no way to go back to a configured default once something was set: another
// choice than the connection's is made on a fresh connection.
SpeechOutcome SpeechDispatcherConnection::say(const QString &text, const VoiceChoice &choice)
{
    SpeechOutcome outcome;
    if (!connection_ || requested_ != choice) {
        outcome = connect(choice);
        if (!outcome.ok)
            return outcome;
    }
    // Priority "message": the server says such messages in order, never one over another,
    // and a screen reader's "text" messages do not cut them ("text" would cut itself).
    outcome.messageId = spd_say(connection_, SPD_MESSAGE, spokenUtf8(text).constData());
    outcome.ok = outcome.messageId > 0;
    if (!outcome.ok)
        disconnect();
    return outcome;
}

// The text given up on, spoken or still in the server's queue: ours hold one at most.
SpeechOutcome SpeechDispatcherConnection::stop()
{
    SpeechOutcome outcome;
    outcome.ok = connection_ && spd_cancel(connection_) == 0;
    if (!outcome.ok)
        disconnect();
    return outcome;
}

// On a connection of its own, so that the speaking one keeps its module and voice.
SpeechOutcome SpeechDispatcherConnection::listVoices()
{
    SpeechOutcome outcome;
    SPDConnection *connection = openConnection(SPD_MODE_SINGLE, &outcome.error);
    if (!connection)
        return outcome;
    char **modules = spd_list_modules(connection);
    for (int i = 0; modules && modules[i]; ++i) {
        ModuleVoices entry{QString::fromUtf8(modules[i]), {}};
        // Parsed here in one pass: libspeechd's list parser reads the reply from its start
        // again for each of the thousands of lines espeak-ng answers with.
        char *reply = nullptr;
        if (spd_set_output_module(connection, modules[i]) == 0 &&
            spd_execute_command_with_reply(connection, "LIST SYNTHESIS_VOICES", &reply) == 0)
            entry.voices = italianVoices(QString::fromUtf8(reply));
        free(reply);
        outcome.voices << entry;
    }
    outcome.ok = modules != nullptr;
    free_spd_modules(modules);
    closeConnection(connection);
    return outcome;
}

// Whether the connection's module lists that Italian voice. Listed once for the connection's
// life unless the voice is missing: a listing takes espeak-ng over a second.
bool SpeechDispatcherConnection::voiceListed(const QString &module, const QString &voice)
{
    QStringList &voices = voicesByModule_[module];
    if (voices.contains(voice))
        return true;
    char *reply = nullptr;
    if (spd_execute_command_with_reply(connection_, "LIST SYNTHESIS_VOICES", &reply) == 0)
        voices = italianVoices(QString::fromUtf8(reply));
    free(reply);
    return voices.contains(voice);
}

void SpeechDispatcherConnection::leave()
{
    if (connection_)
        spd_cancel(connection_);
    disconnect();
}

void SpeechDispatcherConnection::interrupt()
{
    std::lock_guard lock(watchedMutex_);
    for (const auto &[connection, fd] : watched_)
        ::shutdown(fd, SHUT_RDWR);
}

SPDConnection *SpeechDispatcherConnection::openConnection(SPDConnectionMode mode, QString *error)
{
    SPDConnectionAddress address{};
    address.method = SPD_METHOD_UNIX_SOCKET;
    address.unix_socket_name = socketPath_.data();
    const bool own = socketPath_.isEmpty();
    // Told here: libspeechd leaks its error text when it cannot connect.
    if (!own && !QFile::exists(QFile::decodeName(socketPath_))) {
        *error = QStringLiteral("no server at %1").arg(QFile::decodeName(socketPath_));
        return nullptr;
    }
    char *failure = nullptr;
    SPDConnection *connection =
        spd_open2("sorteggina", "voice", nullptr, mode, own ? nullptr : &address, own, &failure);
    if (connection) {
        std::lock_guard lock(watchedMutex_);
        watched_[connection] = dup(connection->socket);
    } else {
        *error = QString::fromUtf8(failure ? failure : "no reason given").trimmed();
    }
    free(failure);
    return connection;
}

// Our duplicate of the socket stays open until here, so that interrupting never hits a
// descriptor number libspeechd has closed and the system has given to someone else.
void SpeechDispatcherConnection::closeConnection(SPDConnection *connection)
{
    {
        std::lock_guard lock(watchedMutex_);
        ::close(watched_[connection]);
        watched_.erase(connection);
    }
    spd_close(connection);
}

void SpeechDispatcherConnection::disconnect()
{
    if (!connection_)
        return;
    {
        std::lock_guard lock(registryMutex);
        if (const auto found = connectionsByClient.find(clientId_);
            found != connectionsByClient.end() && found->second == this)
            connectionsByClient.erase(found);
    }
    closeConnection(connection_);
    connection_ = nullptr;
}

void SpeechDispatcherConnection::messageEvent(size_t messageId, size_t clientId, SPDNotificationType type)
{
    std::lock_guard lock(registryMutex);
    const auto found = connectionsByClient.find(clientId);
    if (found != connectionsByClient.end())
        found->second->messageEvent_(int(messageId), type == SPD_EVENT_BEGIN);
}
