// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clock.h"

#include <QString>
#include <QStringList>
#include <deque>
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

inline const QString kVoiceNotRunningProblem =
    QStringLiteral("La voce non è disponibile: i numeri non vengono pronunciati. Controllare che "
                   "speech-dispatcher e speech-dispatcher-espeak-ng siano installati.");
inline const QString kVoiceNotAnsweringProblem =
    QStringLiteral("La voce non risponde: i numeri non vengono pronunciati. Controllare che "
                   "speech-dispatcher sia installato e in funzione.");

// The voice's rules, apart from its connection to the server: which job goes out next (one at
// a time), which texts are dropped, when a text is stuck, when to connect again. The connection
// tells it how each job went; the texts it gives up on are logged (sorteggina.speech).
class SpeechQueue {
public:
    enum class Job { None, Connect, Say, Stop, List };
    struct Step {
        Job job;
        VoiceChoice choice; // to connect with, or to say the text with
        QString text;
    };

    // A text not finished this long after it began to be spoken is stopped and the next goes
    // on: far more than espeak-ng takes at that rate (a number takes it over a second, ten
    // numbers with their pauses 12.5 s at rate 0, 26 s at -100).
    static qint64 stuckBoundMs(const QString &text, int rate = 0);
    // A text handed over waits its turn behind a screen reader's speech, but not for ever.
    static constexpr qint64 beginTimeoutMs = 30000;
    // A job the server has not answered within this (a connection: connectTimeoutMs, as it
    // may start the server; a listing of voices, which takes it 1.5 s while it speaks here:
    // listTimeoutMs) means it does not answer.
    static constexpr qint64 replyTimeoutMs = 2000;
    static constexpr qint64 connectTimeoutMs = 5000;
    static constexpr qint64 listTimeoutMs = 15000;
    static constexpr qint64 retryMs = 2000;
    // While the voice does not work, texts that waited longer than this are dropped.
    static constexpr qint64 maxWaitMs = 10000;

    explicit SpeechQueue(const Clock &clock) : clock_(clock) { }

    void add(const QString &text, const VoiceChoice &choice);
    void wantVoices() { voicesWanted_ = true; }
    // The job to hand the connection now, if any; `current` is the choice to connect with
    // when no text waits.
    std::optional<Step> next(const VoiceChoice &current);
    void done(Job job, bool ok, int messageId = -1, const QString &error = {});
    // speech-dispatcher began to speak a text, or ended (or cancelled) it.
    void begun(int messageId);
    void ended(int messageId);
    void connectionLost();
    // Acts on every deadline that has passed; true when the job out waited too long for the
    // server and should be cut short.
    bool tick();
    std::optional<qint64> nextDeadlineMs() const;
    bool available() const { return available_; }
    // A text is being said or waits its turn; a voice that does not work holds nothing up.
    bool speaking() const { return available_ && (current_ || !waiting_.empty()); }
    QString problem() const { return problem_; }

private:
    struct Text {
        QString text;
        VoiceChoice choice; // the current one when the text was given, or a sample's own
        qint64 queuedMs = 0;
        int failures = 0;
    };
    enum Trouble { NoServer, NoAnswer, Stuck, TooLate, TroubleKinds };

    Step start(Job job, const VoiceChoice &choice = {}, const QString &text = {});
    qint64 busyLimitMs() const
    {
        return busy_ == Job::Connect ? connectTimeoutMs : busy_ == Job::List ? listTimeoutMs : replyTimeoutMs;
    }
    void sayCurrentAgain();
    void setAvailable(bool available, const QString &problem = {});
    void warn(Trouble kind, const QString &message);

    const Clock &clock_;
    std::deque<Text> waiting_;
    std::optional<Text> current_;
    int currentId_ = -1;
    bool currentBegun_ = false;
    qint64 currentDeadlineMs_ = 0;
    Job busy_ = Job::None;
    qint64 busySinceMs_ = 0;
    bool busyTooLong_ = false;
    bool stopWanted_ = false;
    bool connected_ = false;
    qint64 retryAtMs_ = 0;
    bool available_ = true;
    QString problem_;
    bool voicesWanted_ = false;
    bool warned_[TroubleKinds] = {};
};
