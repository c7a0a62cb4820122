// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"
#include "platform/voice.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

// Which synthesiser speaks and how. An empty or zero field is left to speech-dispatcher's
// configuration (DefaultModule, DefaultVoiceType, DefaultRate...); rate, pitch and volume
// go from -100 to 100.
struct VoiceChoice {
    QString module;
    QString voice;
    int rate = 0;
    int pitch = 0;
    int volume = 0;
    bool operator==(const VoiceChoice &) const = default;
};

// An output module of speech-dispatcher and the names of its Italian voices.
struct ModuleVoices {
    QString module;
    QStringList voices;
    bool operator==(const ModuleVoices &) const = default;
};

inline const QString kVoiceNotRunningProblem = QStringLiteral(
    "La voce non è disponibile: i numeri non vengono pronunciati. Controllare che "
    "speech-dispatcher e speech-dispatcher-espeak-ng siano installati.");
inline const QString kVoiceNotAnsweringProblem = QStringLiteral(
    "La voce non risponde: i numeri non vengono pronunciati. Controllare che "
    "speech-dispatcher sia installato e in funzione.");
inline const QString kModuleFailedProblem = QStringLiteral(
    "Il sintetizzatore \"%1\" non funziona: si usa quello predefinito di speech-dispatcher.");

// The voice, spoken by speech-dispatcher through its client library. Every call that talks
// to the server runs on a worker thread of this object, so a slow, hung or missing server
// never holds up the caller; texts are spoken one at a time, in call order, in Italian.
class SpeechDispatcherVoice : public QObject, public Voice {
    Q_OBJECT
public:
    // A text not finished this long after it was handed over is stopped and the next goes on.
    static qint64 stuckBoundMs(const QString &text);
    // A call the server has not answered within this (a connection: connectTimeoutMs, as it
    // may start the server; a listing of voices, which takes it 1.5 s while it speaks here:
    // listTimeoutMs) means it does not answer.
    static constexpr qint64 replyTimeoutMs = 2000;
    static constexpr qint64 connectTimeoutMs = 5000;
    static constexpr qint64 listTimeoutMs = 15000;
    static constexpr qint64 retryMs = 2000;
    // While the voice does not work, texts that waited longer than this are dropped.
    static constexpr qint64 maxWaitMs = 10000;

    // An empty address means speech-dispatcher's own (SPEECHD_ADDRESS, else the user's socket),
    // started when it is not running; "unix_socket:/path" is used as it is and never started.
    // Without a clock, the system's monotonic clock.
    explicit SpeechDispatcherVoice(QObject *parent = nullptr, const QString &address = {},
                                   const Clock *clock = nullptr);
    // Drops what is queued and leaves within about 100 ms, even with a hung server.
    ~SpeechDispatcherVoice() override;

    void speak(const QString &text) override;
    // For the texts given from now on.
    void setChoice(const VoiceChoice &choice);
    VoiceChoice choice() const { return choice_; }
    // Speaks one text with that choice, in its turn, leaving the current choice alone.
    void speakSample(const QString &text, const VoiceChoice &choice);
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
    struct Text {
        QString text;
        VoiceChoice choice; // the current one when the text was given, or a sample's own
        qint64 queuedMs = 0;
        int failures = 0;
    };
    // What the worker is doing for us; we give it one job at a time.
    enum class Job { None, Connect, Say, Stop, List };
    struct Outcome {
        bool ok = false;
        int messageId = -1;
        QString error;
        QString failedModule;
        QList<ModuleVoices> voices;
    };
    enum Trouble { NoServer, NoAnswer, Stuck, TooLate, TroubleKinds };

    void enqueue(const QString &text, const VoiceChoice &choice);
    void pump();
    void send(Job job, std::function<Outcome(Worker &)> work);
    qint64 busyLimitMs() const
    {
        return busy_ == Job::Connect ? connectTimeoutMs : busy_ == Job::List ? listTimeoutMs : replyTimeoutMs;
    }
    void jobDone(Job job, const Outcome &outcome);
    void messageEnded(int messageId);
    void connectionLost();
    void sayCurrentAgain();
    void setAvailable(bool available, const QString &problem = {});
    void warn(Trouble kind, const QString &message);
    void armTimer();

    SteadyClock steadyClock_;
    const Clock *clock_;
    std::shared_ptr<Worker> worker_;
    VoiceChoice choice_;
    std::deque<Text> waiting_;
    std::optional<Text> current_;
    int currentId_ = -1;
    qint64 currentDeadlineMs_ = 0;
    Job busy_ = Job::None;
    qint64 busySinceMs_ = 0;
    bool busyTooLong_ = false;
    bool connected_ = false;
    qint64 retryAtMs_ = 0;
    bool available_ = true;
    bool voicesWanted_ = false;
    bool warned_[TroubleKinds] = {};
    QTimer timer_;
};
