#pragma once

#include "platform/clock.h"
#include "platform/voice.h"

#include <QList>
#include <QLocale>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QTextToSpeech;

// Every text handed to the voice, logged at the moment `speak` is called (info level).
Q_DECLARE_LOGGING_CATEGORY(voiceLog)
// What happened to the texts after they were queued: drops, engine errors (warning level).
Q_DECLARE_LOGGING_CATEGORY(speechLog)

// A speech engine that says one text at a time. Whoever drives it sets the two callbacks;
// the engine calls at most one of them for each text it was given, possibly within `say`
// (a text it never finishes is the driver's to give up on).
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    virtual void say(const QString &text) = 0;
    // The engine has finished the text (or given up on it) and can take the next one.
    std::function<void()> onReady;
    // The engine failed on the text; the message says why.
    std::function<void(const QString &)> onError;
};

// The voice's own first-in first-out queue in front of an engine that cannot queue:
// a text is handed to the engine only once the engine has finished the previous one.
class QueuedVoice : public QObject, public Voice {
    Q_OBJECT
public:
    // Texts waiting beyond this many (not counting the one being spoken) push out the oldest.
    static constexpr int maxWaiting = 200;
    // A text the engine has not finished after stuckBaseMs + stuckPerCharMs per character
    // is taken as stuck (an engine with no sound server never finishes) and dropped.
    static constexpr qint64 stuckBaseMs = 3000;
    static constexpr qint64 stuckPerCharMs = 150;
    static qint64 stuckBoundMs(const QString &text);

    // Without a clock, the system's monotonic clock.
    explicit QueuedVoice(const Clock *clock = nullptr, QObject *parent = nullptr);
    ~QueuedVoice() override;

    void speak(const QString &text) override;
    // Takes the engine over; texts queued so far start at once.
    void attachEngine(std::unique_ptr<SpeechEngine> engine);
    // Drops the text being spoken if it has outlived its bound; the stuck timer calls it.
    void checkStuck();

    bool hasEngine() const { return engine_ != nullptr; }
    bool isSpeaking() const { return speaking_; }
    int waitingCount() const { return static_cast<int>(waiting_.size()); }

signals:
    // A text left the queue without being spoken in full.
    void textDropped(const QString &text, const QString &reason);

private:
    enum Trouble { Stuck, Full, EngineError, TroubleKinds };
    void handNext();
    void finishCurrent();
    void drop(const QString &text, Trouble kind, const QString &reason);

    SteadyClock steadyClock_;
    const Clock *clock_;
    std::unique_ptr<SpeechEngine> engine_;
    std::deque<QString> waiting_;
    QString current_;
    bool speaking_ = false;
    bool handing_ = false;
    qint64 deadlineMs_ = 0;
    // One warning per kind of trouble until a text is spoken in full again.
    bool warned_[TroubleKinds] = {};
    QTimer stuckTimer_;
};

// The platform's text-to-speech voice (Qt's default engine, an Italian voice if it has one).
// The engine lives on a thread of its own: the speech server's replies are awaited there,
// so a server that hangs never holds up the window.
class QtSpeechEngine : public SpeechEngine {
public:
    ~QtSpeechEngine() override;
    void say(const QString &text) override;

    // How long creation and shutdown may wait for the speech server.
    static constexpr int startTimeoutMs = 8000;
    static constexpr int stopTimeoutMs = 1000;

private:
    friend void startSystemSpeechEngine(QObject *context, std::function<void(std::unique_ptr<SpeechEngine>, const QString &)> done);
    class SpeechThread;
    QtSpeechEngine() = default;
    void watch(QTextToSpeech *tts);

    SpeechThread *thread_ = nullptr;
    // Reports from the engine arrive here, in the owner's thread.
    QObject receiver_;
    bool waiting_ = false;
    bool seenSpeaking_ = false;
};

// The Italian locale among those of an engine, Italy's own first; none when there is none.
std::optional<QLocale> italianLocaleAmong(const QList<QLocale> &locales);

// Hands `done` the system's speech engine, or null with a message for the user when there
// is none or it failed to start. The engine starts on its own thread (about a second, at
// most QtSpeechEngine::startTimeoutMs); `done` runs later on the context's thread.
inline const QString kNoEngineMessage = QStringLiteral(
    "Nessuna sintesi vocale installata: i numeri non possono essere pronunciati.\n"
    "Installare i pacchetti qt6-speech-speechd-plugin, speech-dispatcher e "
    "speech-dispatcher-espeak-ng.");
using SpeechEngineStarted = std::function<void(std::unique_ptr<SpeechEngine>, const QString &)>;
void startSystemSpeechEngine(QObject *context, SpeechEngineStarted done);
