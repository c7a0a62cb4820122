// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/speech_queue.h"

#include <libspeechd.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

// How one job on the connection went.
struct SpeechOutcome {
    bool ok = false;
    int messageId = -1;
    QString error;
    QString failedModule;
    QString failedVoice;
    QList<ModuleVoices> voices;
};

// Our client of speech-dispatcher through libspeechd: the speaking connection, with the module,
// voice, rate, pitch and volume chosen, and a passing one that lists the voices. Every call but
// interrupt may block on the server, and they all come from one thread.
class SpeechDispatcherConnection {
public:
    // On libspeechd's reader thread: the server began, or ended (or cancelled), a message.
    using MessageEvent = std::function<void(int messageId, bool begun)>;

    // The address as SpeechDispatcherVoice takes it.
    SpeechDispatcherConnection(const QString &address, MessageEvent messageEvent);

    SpeechOutcome connect(const VoiceChoice &choice);
    SpeechOutcome say(const QString &text, const VoiceChoice &choice);
    SpeechOutcome stop();
    SpeechOutcome listVoices();
    // Drops what the server still has of ours and closes.
    void leave();
    void disconnect();
    // The speaking connection's socket, to watch for the server hanging up; -1 without one.
    int speakingSocket() const { return connection_ ? watched_.at(connection_) : -1; }
    // Makes a call stuck on a silent server fail: its read sees the end of the stream. From any thread.
    void interrupt();

private:
    SPDConnection *openConnection(SPDConnectionMode mode, QString *error);
    void closeConnection(SPDConnection *connection);
    bool voiceListed(const QString &module, const QString &voice);
    static void messageEvent(size_t messageId, size_t clientId, SPDNotificationType type);

    // libspeechd's callbacks carry no context, only the connection's id on the server.
    static inline std::mutex registryMutex;
    static inline std::map<size_t, SpeechDispatcherConnection *> connectionsByClient;

    const MessageEvent messageEvent_;
    QByteArray socketPath_; // empty: speech-dispatcher's own address, started if need be
    SPDConnection *connection_ = nullptr;
    std::optional<VoiceChoice> requested_;
    size_t clientId_ = 0;
    std::mutex watchedMutex_;
    std::map<SPDConnection *, int> watched_; // our duplicate of each connection's socket
    std::map<QString, QStringList> voicesByModule_;
};
