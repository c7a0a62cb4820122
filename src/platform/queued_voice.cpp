#include "platform/queued_voice.h"

#include <QDeadlineTimer>
#include <QSemaphore>
#include <QTextToSpeech>
#include <QThread>
#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(voiceLog, "sorteggina.voice", QtWarningMsg)
Q_LOGGING_CATEGORY(speechLog, "sorteggina.speech", QtWarningMsg)

qint64 QueuedVoice::stuckBoundMs(const QString &text)
{
    return stuckBaseMs + stuckPerCharMs * text.size();
}

QueuedVoice::QueuedVoice(const Clock *clock, QObject *parent)
    : QObject(parent), clock_(clock ? clock : &steadyClock_)
{
    stuckTimer_.setSingleShot(true);
    stuckTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stuckTimer_, &QTimer::timeout, this, &QueuedVoice::checkStuck);
}

QueuedVoice::~QueuedVoice()
{
    stuckTimer_.stop();
    engine_.reset();
}

void QueuedVoice::speak(const QString &text)
{
    qCInfo(voiceLog).noquote() << text;
    // An engine says nothing for a blank text and so never reports it finished.
    if (text.trimmed().isEmpty())
        return;
    waiting_.push_back(text);
    while (waiting_.size() > static_cast<size_t>(maxWaiting)) {
        const QString oldest = waiting_.front();
        waiting_.pop_front();
        drop(oldest, Full,
             QStringLiteral("more than %1 texts waiting, the oldest is dropped").arg(maxWaiting));
    }
    handNext();
}

void QueuedVoice::attachEngine(std::unique_ptr<SpeechEngine> engine)
{
    if (!engine)
        return;
    if (speaking_) {
        // The text the old engine was saying is said again, in full, by the new one.
        waiting_.push_front(current_);
        speaking_ = false;
        stuckTimer_.stop();
    }
    engine_ = std::move(engine);
    engine_->onReady = [this] { finishCurrent(); };
    engine_->onError = [this](const QString &message) {
        if (!speaking_) {
            qCWarning(speechLog).noquote() << "Speech engine error:" << message;
            return;
        }
        speaking_ = false;
        stuckTimer_.stop();
        drop(std::exchange(current_, QString()), EngineError,
             QStringLiteral("the speech engine failed: %1").arg(message));
        handNext();
    };
    handNext();
}

void QueuedVoice::checkStuck()
{
    if (!speaking_)
        return;
    const qint64 left = deadlineMs_ - clock_->nowMs();
    if (left > 0) {
        stuckTimer_.start(static_cast<int>(left));
        return;
    }
    speaking_ = false;
    const QString text = std::exchange(current_, QString());
    drop(text, Stuck,
         QStringLiteral("the speech engine did not finish it within %1 ms (is a sound server "
                        "running?)")
             .arg(stuckBoundMs(text)));
    handNext();
}

void QueuedVoice::handNext()
{
    // An engine may report within `say`; the loop below then goes on with the next text.
    if (handing_)
        return;
    handing_ = true;
    while (engine_ && !speaking_ && !waiting_.empty()) {
        current_ = waiting_.front();
        waiting_.pop_front();
        speaking_ = true;
        const qint64 bound = stuckBoundMs(current_);
        deadlineMs_ = clock_->nowMs() + bound;
        stuckTimer_.start(static_cast<int>(bound));
        const QString text = current_;
        engine_->say(text);
    }
    handing_ = false;
}

void QueuedVoice::finishCurrent()
{
    if (!speaking_)
        return; // a late report for a text already dropped
    speaking_ = false;
    current_.clear();
    stuckTimer_.stop();
    std::fill(std::begin(warned_), std::end(warned_), false);
    handNext();
}

void QueuedVoice::drop(const QString &text, Trouble kind, const QString &reason)
{
    if (!warned_[kind]) {
        warned_[kind] = true;
        qCWarning(speechLog).noquote() << "Not spoken, " + reason + ":" << text;
    } else {
        qCInfo(speechLog).noquote() << "Not spoken, " + reason + ":" << text;
    }
    emit textDropped(text, reason);
}

std::optional<QLocale> italianLocaleAmong(const QList<QLocale> &locales)
{
    std::optional<QLocale> found;
    for (const QLocale &locale : locales) {
        if (locale.language() != QLocale::Italian)
            continue;
        if (!found || (locale.territory() == QLocale::Italy && found->territory() != QLocale::Italy))
            found = locale;
    }
    return found;
}

// Creates the QTextToSpeech, then runs its event loop; everything said to the engine is
// done here, so that waiting for the speech server never blocks the owner's thread.
class QtSpeechEngine::SpeechThread : public QThread {
public:
    // Set before `started` is released; read only after acquiring it.
    QTextToSpeech *tts = nullptr;
    bool failed = false;
    QString engineName;
    QString error;
    QSemaphore started;

    // On this thread. Qt's say() cancels whatever the engine is speaking (Qt 6.4 is no queue)
    // and cancelling an utterance the server is stuck on hangs speech-dispatcher: a text that
    // arrives while the engine speaks waits here until the engine is Ready again.
    void sayOrDefer(const QString &text)
    {
        const QTextToSpeech::State state = tts->state();
        if (state == QTextToSpeech::Speaking || state == QTextToSpeech::Paused) {
            deferred_ = text;
            hasDeferred_ = true;
            return;
        }
        hasDeferred_ = false;
        // Qt 6.4's speechd plug-in sends the text with spd_say in SSIP's default text mode, in
        // which speech-dispatcher reads < > & as punctuation and escapes them before synthesis
        // (seen in its log), so markup in a text (the owner's name) is never obeyed: no escaping.
        tts->say(text);
    }

protected:
    void run() override
    {
        auto engine = std::make_unique<QTextToSpeech>();
        failed = engine->state() == QTextToSpeech::Error;
        if (!failed) {
            if (const auto italian = italianLocaleAmong(engine->availableLocales()))
                engine->setLocale(*italian);
            QObject::connect(engine.get(), &QTextToSpeech::stateChanged, engine.get(),
                             [this](QTextToSpeech::State state) {
                                 if (state == QTextToSpeech::Ready && hasDeferred_) {
                                     hasDeferred_ = false;
                                     tts->say(deferred_);
                                 }
                             });
        }
        engineName = engine->engine();
        error = engine->errorString();
        tts = engine.get();
        started.release();
        if (!failed)
            exec(); // returns at once if quit() came first
        engine.reset();
    }

private:
    QString deferred_;
    bool hasDeferred_ = false;
};

void QtSpeechEngine::watch(QTextToSpeech *tts)
{
    // Qt's speech-dispatcher engine reports Speaking at an utterance's start and Ready at its
    // end, but also Ready for a cancelled earlier utterance: only a Ready that follows a
    // Speaking since the text was handed over finishes it.
    QObject::connect(tts, &QTextToSpeech::stateChanged, &receiver_,
                     [this](QTextToSpeech::State state) {
                         if (!waiting_)
                             return;
                         if (state == QTextToSpeech::Speaking) {
                             seenSpeaking_ = true;
                         } else if (state == QTextToSpeech::Ready && seenSpeaking_) {
                             waiting_ = false;
                             if (onReady)
                                 onReady();
                         }
                     });
    QObject::connect(tts, &QTextToSpeech::errorOccurred, &receiver_,
                     [this](QTextToSpeech::ErrorReason, const QString &message) {
                         if (!waiting_)
                             return;
                         waiting_ = false;
                         if (onError)
                             onError(message);
                     });
}

QtSpeechEngine::~QtSpeechEngine()
{
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(stopTimeoutMs)))
        delete thread_;
    else // stuck in the speech server: left to end with the process
        qCWarning(speechLog) << "The speech engine did not stop in time; leaving it behind.";
}

void QtSpeechEngine::say(const QString &text)
{
    waiting_ = true;
    seenSpeaking_ = false;
    SpeechThread *thread = thread_;
    QMetaObject::invokeMethod(
        thread->tts, [thread, text] { thread->sayOrDefer(text); }, Qt::QueuedConnection);
}

void startSystemSpeechEngine(QObject *context, SpeechEngineStarted done)
{
    if (QTextToSpeech::availableEngines().isEmpty()) {
        done(nullptr, kNoEngineMessage);
        return;
    }

    auto *thread = new QtSpeechEngine::SpeechThread;
    thread->setObjectName(QStringLiteral("speech"));
    thread->start();
    // The engine connects to its server on its own thread; the window goes on meanwhile.
    auto *poll = new QTimer(context);
    poll->setInterval(20);
    QDeadlineTimer deadline(QtSpeechEngine::startTimeoutMs);
    QObject::connect(poll, &QTimer::timeout, context, [poll, thread, deadline, done] {
        const bool started = thread->started.tryAcquire(1, 0);
        if (!started && !deadline.hasExpired())
            return;
        poll->deleteLater();
        if (!started) {
            // Still waiting for the server: the thread is left to finish, or not, on its own.
            thread->quit();
            QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
            done(nullptr, QStringLiteral("La sintesi vocale non è partita entro %1 secondi "
                                         "(speech-dispatcher è bloccato?).")
                              .arg(QtSpeechEngine::startTimeoutMs / 1000));
            return;
        }
        if (thread->failed) {
            const QString message = QStringLiteral("La sintesi vocale \"%1\" non è partita: %2")
                                        .arg(thread->engineName, thread->error);
            thread->wait();
            delete thread;
            done(nullptr, message);
            return;
        }
        std::unique_ptr<QtSpeechEngine> engine(new QtSpeechEngine);
        engine->thread_ = thread;
        engine->watch(thread->tts);
        done(std::move(engine), QString());
    });
    poll->start();
}
