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
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

Q_LOGGING_CATEGORY(voiceLog, "sorteggina.voice", QtWarningMsg)
Q_LOGGING_CATEGORY(speechLog, "sorteggina.speech", QtWarningMsg)

namespace {

// The text as sent: a control character (a new line in an owner's name, say) becomes a
// space, so that nothing in a text can end SSIP's block of data early.
QByteArray spokenUtf8(QString text)
{
    std::replace_if(
        text.begin(), text.end(),
        [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0); }, QChar(u' '));
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
        : owner(voice),
          socketPath_(QFile::encodeName(address.startsWith(QLatin1String("unix_socket:")) ? address.mid(12) : address))
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
        connection_->callback_begin = connection_->callback_end = connection_->callback_cancel = &Worker::messageEvent;
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

    // The text given up on, spoken or still in the server's queue: ours hold one at most.
    Outcome stop()
    {
        Outcome outcome;
        outcome.ok = connection_ && spd_cancel(connection_) == 0;
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

    // Whether the connection's module lists that Italian voice. Listed once for the worker's life
    // unless the voice is missing: a listing takes espeak-ng over a second.
    bool voiceListed(const QString &module, const QString &voice)
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
        SPDConnection *connection =
            spd_open2("sorteggina", "voice", nullptr, mode, own ? nullptr : &address, own, &failure);
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
            if (const auto found = workersByClient.find(clientId_);
                found != workersByClient.end() && found->second == this)
                workersByClient.erase(found);
        }
        closeConnection(connection_);
        connection_ = nullptr;
    }

    // On libspeechd's reader thread. Passed through the job queue, so that the voice always
    // learns a message's id (when spd_say returns) before its end.
    static void messageEvent(size_t messageId, size_t clientId, SPDNotificationType type)
    {
        std::lock_guard lock(registryMutex);
        const auto found = workersByClient.find(clientId);
        if (found == workersByClient.end())
            return;
        Worker *worker = found->second;
        worker->post([worker, id = int(messageId), begun = type == SPD_EVENT_BEGIN] {
            worker->report([id, begun](SpeechDispatcherVoice &voice) { voice.messageEvent(id, begun); });
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
    std::map<QString, QStringList> voicesByModule_;
    bool leaving_ = false;
};

SpeechDispatcherVoice::SpeechDispatcherVoice(QObject *parent, const QString &address, const Clock *clock)
    : QObject(parent), clock_(clock ? clock : &steadyClock_), worker_(std::make_shared<Worker>(this, address)),
      queue_(*clock_)
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

void SpeechDispatcherVoice::speak(const QString &text) { speakSample(text, choice_); }

void SpeechDispatcherVoice::speakSample(const QString &text, const VoiceChoice &choice)
{
    qCInfo(voiceLog).noquote() << escapedControls(text);
    queue_.add(text, choice);
    pump();
}

void SpeechDispatcherVoice::speakLogged(const QString &text)
{
    queue_.add(text, choice_);
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
    queue_.wantVoices();
    pump();
}

void SpeechDispatcherVoice::pump()
{
    if (const std::optional<SpeechQueue::Step> step = queue_.next(choice_))
        send(*step);
    if (queue_.available() != availableShown_) {
        availableShown_ = queue_.available();
        emit availabilityChanged(availableShown_, queue_.problem());
    }
    const std::optional<qint64> deadline = queue_.nextDeadlineMs();
    if (deadline)
        timer_.start(int(std::clamp<qint64>(*deadline - clock_->nowMs(), 0, 60'000)));
    else
        timer_.stop();
}

void SpeechDispatcherVoice::send(const SpeechQueue::Step &step)
{
    std::function<Outcome(Worker &)> work;
    switch (step.job) {
    case Job::Connect: work = [choice = step.choice](Worker &worker) { return worker.connect(choice); }; break;
    case Job::Say:
        work = [text = step.text, choice = step.choice](Worker &worker) { return worker.say(text, choice); };
        break;
    case Job::Stop: work = [](Worker &worker) { return worker.stop(); }; break;
    case Job::List:
    case Job::None: work = [](Worker &worker) { return worker.listVoices(); }; break;
    }
    Worker *worker = worker_.get();
    worker->post([worker, job = step.job, work = std::move(work)] {
        const Outcome outcome = work(*worker);
        worker->report([job, outcome](SpeechDispatcherVoice &voice) { voice.jobDone(job, outcome); });
    });
}

void SpeechDispatcherVoice::jobDone(Job job, const Outcome &outcome)
{
    if (!outcome.failedModule.isEmpty())
        emit choiceFailed(kModuleFailedProblem.arg(escapedControls(outcome.failedModule)));
    else if (!outcome.failedVoice.isEmpty())
        emit choiceFailed(kVoiceMissingProblem.arg(escapedControls(outcome.failedVoice)));
    if (job == Job::List)
        emit voicesListed(outcome.voices);
    queue_.done(job, outcome.ok, outcome.messageId, outcome.error);
    pump();
}

void SpeechDispatcherVoice::connectionLost()
{
    queue_.connectionLost();
    pump();
}

void SpeechDispatcherVoice::messageEvent(int messageId, bool begun)
{
    if (begun)
        queue_.begun(messageId);
    else
        queue_.ended(messageId);
    pump();
}

void SpeechDispatcherVoice::checkTimers()
{
    if (queue_.tick()) {
        std::lock_guard lock(worker_->mutex);
        worker_->interruptLocked();
    }
    pump();
}
