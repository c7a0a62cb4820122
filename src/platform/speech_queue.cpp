// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/speech_queue.h"

#include "platform/speech_text.h"
#include "platform/voice_log.h"

#include <algorithm>
#include <utility>

qint64 SpeechQueue::stuckBoundMs(const QString &text, int rate)
{
    const auto digits = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    const qint64 normalMs = 150 * (text.size() - digits) + 700 * digits;
    // Rate -100 is under half the normal speed.
    const qint64 slowerPercent = 100 + std::max(0, -rate) * 13 / 10;
    return std::min<qint64>(3000 + normalMs * slowerPercent / 100, 180'000);
}

void SpeechQueue::add(const QString &text, const VoiceChoice &choice)
{
    // A blank text says nothing and would never be reported finished.
    if (!text.trimmed().isEmpty())
        waiting_.push_back({text, choice, clock_.nowMs()});
}

SpeechQueue::Step SpeechQueue::start(Job job, const VoiceChoice &choice, const QString &text)
{
    busy_ = job;
    busySinceMs_ = clock_.nowMs();
    busyTooLong_ = false;
    return {job, choice, text};
}

// One text at a time, the next on the end (or cancel) of the previous: the server's own queue
// could not bound a stuck text, drop texts gone stale while it was away, or give one text (a
// sample) other settings.
std::optional<SpeechQueue::Step> SpeechQueue::next(const VoiceChoice &current)
{
    const qint64 now = clock_.nowMs();
    if (busy_ != Job::None)
        return std::nullopt;
    if (std::exchange(stopWanted_, false))
        return start(Job::Stop);
    if (!connected_ && now >= retryAtMs_)
        return start(Job::Connect, waiting_.empty() ? current : waiting_.front().choice);
    if (connected_ && !current_ && !waiting_.empty()) {
        current_ = std::move(waiting_.front());
        waiting_.pop_front();
        currentId_ = -1;
        currentBegun_ = false;
        return start(Job::Say, current_->choice, current_->text);
    }
    if (std::exchange(voicesWanted_, false)) // after a waiting text: a listing takes the server up to 1.5 s
        return start(Job::List);
    return std::nullopt;
}

void SpeechQueue::done(Job job, bool ok, int messageId, const QString &error)
{
    busy_ = Job::None;
    if (job == Job::List) {
        busyTooLong_ = false;
        return;
    }
    if (ok) {
        connected_ = true;
        setAvailable(true);
        if (job == Job::Say && current_) {
            currentId_ = messageId;
            currentDeadlineMs_ = clock_.nowMs() + beginTimeoutMs;
        }
    } else {
        connected_ = false;
        if (job == Job::Say)
            sayCurrentAgain();
        // A connection lost between texts is made again at once; a server that is missing or
        // silent is tried again every retryMs.
        const bool retryLater = job == Job::Connect || busyTooLong_;
        retryAtMs_ = clock_.nowMs() + (retryLater ? retryMs : 0);
        if (job == Job::Connect && !busyTooLong_) {
            warn(NoServer, QStringLiteral("Cannot reach speech-dispatcher: %1").arg(escapedControls(error)));
            setAvailable(false, kVoiceNotRunningProblem);
        }
    }
    busyTooLong_ = false;
}

void SpeechQueue::connectionLost()
{
    connected_ = false;
    retryAtMs_ = clock_.nowMs();
    sayCurrentAgain();
}

// Once, on a fresh connection: the server may have been restarted under it.
void SpeechQueue::sayCurrentAgain()
{
    if (current_ && current_->failures++ == 0)
        waiting_.push_front(*current_);
    current_.reset();
}

void SpeechQueue::begun(int messageId)
{
    if (!current_ || messageId != currentId_ || std::exchange(currentBegun_, true))
        return;
    currentDeadlineMs_ = clock_.nowMs() + stuckBoundMs(current_->text, current_->choice.rate);
}

void SpeechQueue::ended(int messageId)
{
    if (!current_ || messageId != currentId_)
        return; // a text already given up on
    current_.reset();
    std::fill(std::begin(warned_), std::end(warned_), false);
}

bool SpeechQueue::tick()
{
    const qint64 now = clock_.nowMs();
    bool cut = false;
    if (busy_ != Job::None && !busyTooLong_ && now - busySinceMs_ >= busyLimitMs()) {
        busyTooLong_ = cut = true;
        warn(NoAnswer, QStringLiteral("speech-dispatcher does not answer"));
        setAvailable(false, kVoiceNotAnsweringProblem);
    }
    if (busy_ == Job::None && current_ && currentId_ > 0 && now >= currentDeadlineMs_) {
        warn(Stuck, (currentBegun_ ? QStringLiteral("Not spoken in full, not finished within %1 ms of its start: %2")
                                   : QStringLiteral("Not spoken, not begun within %1 ms: %2"))
                        .arg(currentBegun_ ? stuckBoundMs(current_->text, current_->choice.rate) : beginTimeoutMs)
                        .arg(escapedControls(current_->text)));
        current_.reset();
        stopWanted_ = true;
    }
    // A number said minutes late is worse than none.
    while (!available_ && !waiting_.empty() && now - waiting_.front().queuedMs >= maxWaitMs) {
        warn(TooLate, QStringLiteral("Not spoken, no voice for %1 s: %2")
                          .arg(maxWaitMs / 1000)
                          .arg(escapedControls(waiting_.front().text)));
        waiting_.pop_front();
    }
    return cut;
}

std::optional<qint64> SpeechQueue::nextDeadlineMs() const
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
    return next;
}

void SpeechQueue::setAvailable(bool available, const QString &problem)
{
    if (available == available_)
        return;
    available_ = available;
    problem_ = problem;
}

void SpeechQueue::warn(Trouble kind, const QString &message)
{
    if (std::exchange(warned_[kind], true))
        qCInfo(speechLog).noquote() << message;
    else
        qCWarning(speechLog).noquote() << message;
}
