// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_voice.h"

#include "platform/voice_log.h"

#include <libspeechd.h>

#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(voiceLog, "sorteggina.voice", QtWarningMsg)
Q_LOGGING_CATEGORY(speechLog, "sorteggina.speech", QtWarningMsg)

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c < 0xa0);
}

// Control characters shown as \xNN, so that no log line carries raw terminal codes.
QString escapedControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            out += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// The text as sent: a control character (a new line in an owner's name, say) becomes a
// space, so that nothing in a text can end SSIP's block of data early.
QByteArray spokenUtf8(QString text)
{
    std::replace_if(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); }, QChar(u' '));
    return text.toUtf8();
}

// The names in a reply to LIST SYNTHESIS_VOICES ("249-name\tlanguage\tvariant" lines) whose
// language is Italian.
QStringList italianVoices(const QString &reply)
{
    QStringList voices;
    for (const QString &line : reply.split(QStringLiteral("\r\n"))) {
        const QStringList fields = line.mid(4).split(u'\t');
        if (line.startsWith(QLatin1String("249-")) && fields.size() >= 2 &&
            (fields[1] == QLatin1String("it") || fields[1].startsWith(QLatin1String("it-"))))
            voices << fields[0];
    }
    return voices;
}

} // namespace

// Runs every libspeechd call, one job at a time, on a thread of its own. It outlives the voice
// when a call hangs (a server stopped while we connect): then it is left behind, detached.
class SpeechDispatcherVoice::Worker {
public:
    Worker(SpeechDispatcherVoice *voice, const QString &address)
        : owner(voice), socketPath_(QFile::encodeName(address.startsWith(QLatin1String("unix_socket:"))
                                                          ? address.mid(12)
                                                          : address))
    {
    }
    ~Worker() { ::close(wakeFd_); }

    void run()
    {
        // libspeechd writes with write(): a server gone away must give an error here, not a
        // SIGPIPE that ends the program. Its reader threads, started here, inherit the mask.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        std::unique_lock lock(mutex);
        while (!leaving_) {
            if (jobs.empty()) {
                lock.unlock();
                waitForJobOrHangUp();
                lock.lock();
                continue;
            }
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
        done = true;
        finished.notify_all();
    }

    void post(std::function<void()> job)
    {
        std::lock_guard lock(mutex);
        postLocked(std::move(job));
    }
    void postLocked(std::function<void()> job)
    {
        jobs.push_back(std::move(job));
        eventfd_write(wakeFd_, 1);
    }

    // Runs `deliver` on the voice's thread, unless the voice is gone by then.
    void report(std::function<void(SpeechDispatcherVoice &)> deliver)
    {
        std::lock_guard lock(mutex);
        if (SpeechDispatcherVoice *voice = owner)
            QMetaObject::invokeMethod(
                voice, [voice, deliver = std::move(deliver)] { deliver(*voice); }, Qt::QueuedConnection);
    }

    // Makes a call stuck on a silent server fail: its read sees the end of the stream.
    // Called with `mutex` held.
    void interruptLocked()
    {
        for (const auto &[connection, fd] : watched_)
            ::shutdown(fd, SHUT_RDWR);
    }

    Outcome connect(const VoiceChoice &choice)
    {
        disconnect();
        Outcome outcome;
        connection_ = openConnection(SPD_MODE_THREADED, &outcome.error);
        if (!connection_)
            return outcome;
        requested_ = choice;
        // Not spd_get_client_id: it reads a missing reply when the connection breaks.
        char *reply = nullptr;
        clientId_ = spd_execute_command_with_reply(connection_, "HISTORY GET CLIENT_ID", &reply) == 0
                        ? QByteArray(reply).mid(4).split('\r').value(0).toULong() // "245-<id>\r\n245 OK..."
                        : 0;
        free(reply);
        if (clientId_ > 0) {
            std::lock_guard lock(registryMutex);
            workersByClient[clientId_] = this;
        }
        connection_->callback_end = connection_->callback_cancel = &Worker::messageEvent;
        // Only the language unless something was chosen: speechd.conf picks module and voice.
        bool ok = clientId_ > 0 && spd_set_notification_on(connection_, SPDNotification(SPD_END | SPD_CANCEL)) == 0 &&
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
    Outcome say(const QString &text, const VoiceChoice &choice)
    {
        Outcome outcome;
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

    Outcome stop()
    {
        Outcome outcome;
        outcome.ok = connection_ && spd_stop(connection_) == 0;
        if (!outcome.ok)
            disconnect();
        return outcome;
    }

    // On a connection of its own, so that the speaking one keeps its module and voice.
    Outcome listVoices()
    {
        Outcome outcome;
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

    // Drops what the server still has of ours and closes; the last job.
    void leave()
    {
        if (connection_)
            spd_cancel(connection_);
        disconnect();
        leaving_ = true;
    }

    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::function<void()>> jobs;
    SpeechDispatcherVoice *owner; // null once the voice is gone
    bool done = false;

private:
    // Sleeps until a job comes or the server hangs up on the speaking connection (it died or
    // was restarted): libspeechd's reader thread notices that only for itself.
    void waitForJobOrHangUp()
    {
        pollfd watch[] = {{wakeFd_, POLLIN, 0}, {connection_ ? watched_.at(connection_) : -1, POLLRDHUP, 0}};
        if (poll(watch, 2, -1) <= 0)
            return;
        eventfd_t count;
        if (watch[0].revents)
            eventfd_read(wakeFd_, &count);
        if (watch[1].revents) {
            disconnect();
            report([](SpeechDispatcherVoice &voice) { voice.connectionLost(); });
        }
    }

    SPDConnection *openConnection(SPDConnectionMode mode, QString *error)
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
        SPDConnection *connection = spd_open2("sorteggina", "voice", nullptr, mode, own ? nullptr : &address,
                                              own, &failure);
        if (connection) {
            std::lock_guard lock(mutex);
            watched_[connection] = dup(connection->socket);
        } else {
            *error = QString::fromUtf8(failure ? failure : "no reason given").trimmed();
        }
        free(failure);
        return connection;
    }

    // Our duplicate of the socket stays open until here, so that interrupting never hits a
    // descriptor number libspeechd has closed and the system has given to someone else.
    void closeConnection(SPDConnection *connection)
    {
        {
            std::lock_guard lock(mutex);
            ::close(watched_[connection]);
            watched_.erase(connection);
        }
        spd_close(connection);
    }

    void disconnect()
    {
        if (!connection_)
            return;
        {
            std::lock_guard lock(registryMutex);
            if (const auto found = workersByClient.find(clientId_); found != workersByClient.end() && found->second == this)
                workersByClient.erase(found);
        }
        closeConnection(connection_);
        connection_ = nullptr;
    }

    // On libspeechd's reader thread. Passed through the job queue, so that the voice always
    // learns a message's id (when spd_say returns) before its end.
    static void messageEvent(size_t messageId, size_t clientId, SPDNotificationType)
    {
        std::lock_guard lock(registryMutex);
        const auto found = workersByClient.find(clientId);
        if (found == workersByClient.end())
            return;
        Worker *worker = found->second;
        worker->post([worker, id = int(messageId)] {
            worker->report([id](SpeechDispatcherVoice &voice) { voice.messageEnded(id); });
        });
    }

    // libspeechd's callbacks carry no context, only the connection's id on the server.
    static inline std::mutex registryMutex;
    static inline std::map<size_t, Worker *> workersByClient;

    QByteArray socketPath_; // empty: speech-dispatcher's own address, started if need be
    SPDConnection *connection_ = nullptr;
    std::optional<VoiceChoice> requested_;
    size_t clientId_ = 0;
    std::map<SPDConnection *, int> watched_; // our duplicate of each connection's socket
    const int wakeFd_ = eventfd(0, EFD_CLOEXEC);
    bool leaving_ = false;
};

qint64 SpeechDispatcherVoice::stuckBoundMs(const QString &text)
{
    return std::min<qint64>(3000 + 150 * text.size(), 15000);
}

SpeechDispatcherVoice::SpeechDispatcherVoice(QObject *parent, const QString &address, const Clock *clock)
    : QObject(parent), clock_(clock ? clock : &steadyClock_), worker_(std::make_shared<Worker>(this, address))
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, this, &SpeechDispatcherVoice::checkTimers);
    std::thread([worker = worker_] { worker->run(); }).detach();
    pump(); // connects at once: starting the server may take a second
}

SpeechDispatcherVoice::~SpeechDispatcherVoice()
{
    using namespace std::chrono_literals;
    Worker *worker = worker_.get();
    std::unique_lock lock(worker->mutex);
    worker->owner = nullptr;
    worker->jobs.clear();
    worker->postLocked([worker] { worker->leave(); });
    const auto left = [worker] { return worker->done; };
    if (!worker->finished.wait_for(lock, 60ms, left)) {
        worker->interruptLocked();
        worker->finished.wait_for(lock, 40ms, left);
    }
}

void SpeechDispatcherVoice::speak(const QString &text)
{
    enqueue(text, choice_);
}

void SpeechDispatcherVoice::speakSample(const QString &text, const VoiceChoice &choice)
{
    enqueue(text, choice);
}

void SpeechDispatcherVoice::enqueue(const QString &text, const VoiceChoice &choice)
{
    qCInfo(voiceLog).noquote() << escapedControls(text);
    // A blank text says nothing and would never be reported finished.
    if (text.trimmed().isEmpty())
        return;
    waiting_.push_back({text, choice, clock_->nowMs()});
    pump();
}

void SpeechDispatcherVoice::setChoice(const VoiceChoice &choice)
{
    choice_ = choice;
    for (int *value : {&choice_.rate, &choice_.pitch, &choice_.volume})
        *value = std::clamp(*value, -100, 100);
}

void SpeechDispatcherVoice::requestVoices()
{
    voicesWanted_ = true;
    pump();
}

// Our own queue hands the server one text at a time and the next on the end (or cancel)
// notification of the previous: the server's queue could not bound a stuck text, drop texts
// gone stale while it was away, or give one text (a sample) other settings.
void SpeechDispatcherVoice::pump()
{
    const qint64 now = clock_->nowMs();
    const bool idle = busy_ == Job::None;
    if (idle && !connected_ && now >= retryAtMs_) {
        const VoiceChoice next = waiting_.empty() ? choice_ : waiting_.front().choice;
        send(Job::Connect, [next](Worker &worker) { return worker.connect(next); });
    } else if (idle && connected_ && !current_ && !waiting_.empty()) {
        current_ = std::move(waiting_.front());
        waiting_.pop_front();
        currentId_ = -1;
        currentDeadlineMs_ = now + stuckBoundMs(current_->text);
        send(Job::Say, [text = current_->text, choice = current_->choice](Worker &worker) {
            return worker.say(text, choice);
        });
    } else if (idle && voicesWanted_) { // after a waiting text: a listing takes the server up to 1.5 s
        voicesWanted_ = false;
        send(Job::List, [](Worker &worker) { return worker.listVoices(); });
    }
    armTimer();
}

void SpeechDispatcherVoice::send(Job job, std::function<Outcome(Worker &)> work)
{
    busy_ = job;
    busySinceMs_ = clock_->nowMs();
    busyTooLong_ = false;
    Worker *worker = worker_.get();
    worker->post([worker, job, work = std::move(work)] {
        const Outcome outcome = work(*worker);
        worker->report([job, outcome](SpeechDispatcherVoice &voice) { voice.jobDone(job, outcome); });
    });
}

void SpeechDispatcherVoice::jobDone(Job job, const Outcome &outcome)
{
    busy_ = Job::None;
    if (!outcome.failedModule.isEmpty())
        emit choiceFailed(kModuleFailedProblem.arg(outcome.failedModule));
    if (job == Job::List) {
        emit voicesListed(outcome.voices);
    } else if (outcome.ok) {
        connected_ = true;
        setAvailable(true);
        if (job == Job::Say)
            currentId_ = outcome.messageId;
    } else {
        connected_ = false;
        if (job == Job::Say)
            sayCurrentAgain();
        // A connection lost between texts is made again at once; a server that is missing or
        // silent is tried again every retryMs.
        const bool retryLater = job == Job::Connect || busyTooLong_;
        retryAtMs_ = clock_->nowMs() + (retryLater ? retryMs : 0);
        if (job == Job::Connect && !busyTooLong_) {
            warn(NoServer, QStringLiteral("Cannot reach speech-dispatcher: %1").arg(escapedControls(outcome.error)));
            setAvailable(false, kVoiceNotRunningProblem);
        }
    }
    busyTooLong_ = false;
    pump();
}

void SpeechDispatcherVoice::connectionLost()
{
    connected_ = false;
    retryAtMs_ = clock_->nowMs();
    sayCurrentAgain();
    pump();
}

// Once, on a fresh connection: the server may have been restarted under it.
void SpeechDispatcherVoice::sayCurrentAgain()
{
    if (current_ && current_->failures++ == 0)
        waiting_.push_front(*current_);
    current_.reset();
}

void SpeechDispatcherVoice::messageEnded(int messageId)
{
    if (!current_ || messageId != currentId_)
        return; // a text already given up on
    current_.reset();
    std::fill(std::begin(warned_), std::end(warned_), false);
    pump();
}

void SpeechDispatcherVoice::checkTimers()
{
    const qint64 now = clock_->nowMs();
    if (busy_ != Job::None && !busyTooLong_ && now - busySinceMs_ >= busyLimitMs()) {
        busyTooLong_ = true;
        warn(NoAnswer, QStringLiteral("speech-dispatcher does not answer"));
        setAvailable(false, kVoiceNotAnsweringProblem);
        std::lock_guard lock(worker_->mutex);
        worker_->interruptLocked();
    }
    if (busy_ == Job::None && current_ && currentId_ > 0 && now >= currentDeadlineMs_) {
        warn(Stuck, QStringLiteral("Not spoken in full, not finished within %1 ms: %2")
                        .arg(stuckBoundMs(current_->text))
                        .arg(escapedControls(current_->text)));
        current_.reset();
        send(Job::Stop, [](Worker &worker) { return worker.stop(); });
    }
    // A number said minutes late is worse than none.
    while (!available_ && !waiting_.empty() && now - waiting_.front().queuedMs >= maxWaitMs) {
        warn(TooLate, QStringLiteral("Not spoken, no voice for %1 s: %2")
                          .arg(maxWaitMs / 1000)
                          .arg(escapedControls(waiting_.front().text)));
        waiting_.pop_front();
    }
    pump();
}

void SpeechDispatcherVoice::armTimer()
{
    std::optional<qint64> next;
    const auto consider = [&next](qint64 at) { next = std::min(next.value_or(at), at); };
    if (busy_ != Job::None && !busyTooLong_)
        consider(busySinceMs_ + busyLimitMs());
    if (current_ && currentId_ > 0)
        consider(currentDeadlineMs_);
    if (busy_ == Job::None && !connected_)
        consider(retryAtMs_);
    if (!available_ && !waiting_.empty())
        consider(waiting_.front().queuedMs + maxWaitMs);
    if (next)
        timer_.start(int(std::clamp<qint64>(*next - clock_->nowMs(), 0, 60'000)));
    else
        timer_.stop();
}

void SpeechDispatcherVoice::setAvailable(bool available, const QString &problem)
{
    if (available == available_)
        return;
    available_ = available;
    emit availabilityChanged(available, problem);
}

void SpeechDispatcherVoice::warn(Trouble kind, const QString &message)
{
    if (std::exchange(warned_[kind], true))
        qCInfo(speechLog).noquote() << message;
    else
        qCWarning(speechLog).noquote() << message;
}
