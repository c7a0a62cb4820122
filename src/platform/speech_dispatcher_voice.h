// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"
#include "platform/speech_queue.h"
#include "platform/voice.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

struct SpeechOutcome;

inline const QString kModuleFailedProblem =
    QStringLiteral("Il sintetizzatore \"%1\" non funziona: si usa quello predefinito di speech-dispatcher.");
inline const QString kVoiceMissingProblem =
    QStringLiteral("La voce \"%1\" non c'è: si usa quella predefinita del sintetizzatore.");

// The voice, spoken by speech-dispatcher through its client library. Every call that talks
// to the server runs on a worker thread of this object, so a slow, hung or missing server
// never holds up the caller; texts are spoken one at a time, in call order, in Italian.
class SpeechDispatcherVoice : public QObject, public Voice {
    Q_OBJECT
public:
    // An empty address means speech-dispatcher's own (SPEECHD_ADDRESS, else the user's socket),
    // started when it is not running; "unix_socket:/path" is used as it is and never started.
    // Without a clock, the system's monotonic clock.
    explicit SpeechDispatcherVoice(
        QObject *parent = nullptr, const QString &address = {}, const Clock *clock = nullptr);
    // Drops what is queued and leaves within about 100 ms, even with a hung server.
    ~SpeechDispatcherVoice() override;

    void speak(const QString &text) override;
    bool isSpeaking() const override { return queue_.speaking(); }
    // For the texts given from now on.
    void setChoice(const VoiceChoice &choice);
    VoiceChoice choice() const { return choice_; }
    // Speaks one text with that choice, in its turn, leaving the current choice alone.
    void speakSample(const QString &text, const VoiceChoice &choice);
    // A text its giver has logged already, in its turn with the current choice.
    void speakLogged(const QString &text);
    // Answers with voicesListed, later.
    void requestVoices();
    // Acts on every deadline that has passed; the object's timer calls it.
    void checkTimers();

signals:
    void availabilityChanged(bool working, const QString &problem);
    void choiceFailed(const QString &problem);
    void voicesListed(const QList<ModuleVoices> &voices);

private:
    class Worker;
    using Job = SpeechQueue::Job;

    void pump();
    void send(const SpeechQueue::Step &step);
    void jobDone(Job job, const SpeechOutcome &outcome);
    void messageEvent(int messageId, bool begun);
    void connectionLost();

    SteadyClock steadyClock_;
    const Clock *clock_;
    std::shared_ptr<Worker> worker_;
    VoiceChoice choice_;
    SpeechQueue queue_;
    bool availableShown_ = true;
    QTimer timer_;
};
