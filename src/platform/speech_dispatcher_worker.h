// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/speech_dispatcher_connection.h"
#include "platform/speech_dispatcher_voice.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// Runs every call on the connection, one job at a time, on a thread of its own. It outlives the
// voice when a call hangs (a server stopped while we connect): then it is left behind, detached.
class SpeechDispatcherVoice::Worker {
public:
    Worker(SpeechDispatcherVoice *voice, const QString &address);
    ~Worker();

    void run();
    void post(std::function<void()> job);
    void postLocked(std::function<void()> job);
    // Runs `deliver` on the voice's thread, unless the voice is gone by then.
    void report(std::function<void(SpeechDispatcherVoice &)> deliver);
    // The last job.
    void leave();

    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::function<void()>> jobs;
    SpeechDispatcherVoice *owner; // null once the voice is gone
    bool done = false;
    SpeechDispatcherConnection connection;

private:
    void waitForJobOrHangUp();

    const int wakeFd_;
    bool leaving_ = false;
};
