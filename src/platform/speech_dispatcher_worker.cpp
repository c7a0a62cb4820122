// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_worker.h"

#include <QMetaObject>
#include <csignal>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

SpeechDispatcherVoice::Worker::Worker(SpeechDispatcherVoice *voice, const QString &address)
    : owner(voice),
      // Passed through the job queue, so that the voice always learns a message's id (when
      // spd_say returns) before its end.
      connection(address,
          [this](int id, bool begun) {
              post([this, id, begun] {
                  report([id, begun](SpeechDispatcherVoice &voice) { voice.messageEvent(id, begun); });
              });
          }),
      wakeFd_(eventfd(0, EFD_CLOEXEC))
{
}

SpeechDispatcherVoice::Worker::~Worker() { ::close(wakeFd_); }

void SpeechDispatcherVoice::Worker::run()
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

void SpeechDispatcherVoice::Worker::post(std::function<void()> job)
{
    std::lock_guard lock(mutex);
    postLocked(std::move(job));
}

void SpeechDispatcherVoice::Worker::postLocked(std::function<void()> job)
{
    jobs.push_back(std::move(job));
    eventfd_write(wakeFd_, 1);
}

void SpeechDispatcherVoice::Worker::report(std::function<void(SpeechDispatcherVoice &)> deliver)
{
    std::lock_guard lock(mutex);
    if (SpeechDispatcherVoice *voice = owner)
        QMetaObject::invokeMethod(
            voice, [voice, deliver = std::move(deliver)] { deliver(*voice); }, Qt::QueuedConnection);
}

void SpeechDispatcherVoice::Worker::leave()
{
    connection.leave();
    leaving_ = true;
}

// Sleeps until a job comes or the server hangs up on the speaking connection (it died or
// was restarted): libspeechd's reader thread notices that only for itself.
void SpeechDispatcherVoice::Worker::waitForJobOrHangUp()
{
    pollfd watch[] = {{wakeFd_, POLLIN, 0}, {connection.speakingSocket(), POLLRDHUP, 0}};
    if (poll(watch, 2, -1) <= 0)
        return;
    eventfd_t count;
    if (watch[0].revents)
        eventfd_read(wakeFd_, &count);
    if (watch[1].revents) {
        connection.disconnect();
        report([](SpeechDispatcherVoice &voice) { voice.connectionLost(); });
    }
}
