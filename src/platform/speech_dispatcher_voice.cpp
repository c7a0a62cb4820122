// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_dispatcher_voice.h"

#include "platform/speech_dispatcher_worker.h"
#include "platform/speech_text.h"
#include "platform/voice_log.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

Q_LOGGING_CATEGORY(voiceLog, "sorteggina.voice", QtWarningMsg)
Q_LOGGING_CATEGORY(speechLog, "sorteggina.speech", QtWarningMsg)

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
        worker->connection.interrupt();
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
    std::function<SpeechOutcome(Worker &)> work;
    switch (step.job) {
    case Job::Connect:
        work = [choice = step.choice](Worker &worker) { return worker.connection.connect(choice); };
        break;
    case Job::Say:
        work = [text = step.text, choice = step.choice](Worker &worker) { return worker.connection.say(text, choice); };
        break;
    case Job::Stop: work = [](Worker &worker) { return worker.connection.stop(); }; break;
    case Job::List:
    case Job::None: work = [](Worker &worker) { return worker.connection.listVoices(); }; break;
    }
    Worker *worker = worker_.get();
    worker->post([worker, job = step.job, work = std::move(work)] {
        const SpeechOutcome outcome = work(*worker);
        worker->report([job, outcome](SpeechDispatcherVoice &voice) { voice.jobDone(job, outcome); });
    });
}

void SpeechDispatcherVoice::jobDone(Job job, const SpeechOutcome &outcome)
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
    if (queue_.tick())
        worker_->connection.interrupt();
    pump();
}
