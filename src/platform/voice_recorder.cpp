// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/voice_recorder.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>

namespace {

// What a working microphone delivers its first data within, even a slow USB one or a sound
// server waking its source up (PulseAudio's can take 2 s), and its next data within after that.
constexpr int kFirstDataMs = 5000;
constexpr int kDataGapMs = 2000;

} // namespace

VoiceRecorder::VoiceRecorder(QObject *parent) : QObject(parent), format_(std::make_unique<QAudioFormat>())
{
    silence_.setSingleShot(true);
    // A source can go quiet without an error (suspended, a USB microphone pulled out).
    connect(&silence_, &QTimer::timeout, this,
        [this] { fail(take_.samples.empty() ? kMicrophoneMute : kMicrophoneStopped); });
}

VoiceRecorder::~VoiceRecorder() { cancel(); }

bool VoiceRecorder::start()
{
    cancel();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        emit failed(kNoMicrophone);
        return false;
    }
    QAudioFormat wanted;
    wanted.setSampleRate(48000);
    wanted.setChannelCount(1);
    wanted.setSampleFormat(QAudioFormat::Int16);
    *format_ = device.isFormatSupported(wanted) ? wanted : device.preferredFormat();
    source_ = std::make_unique<QAudioSource>(device, *format_);
    source_->setBufferSize(format_->bytesForDuration(100'000));
    take_ = {{}, format_->sampleRate()};
    take_.samples.reserve(std::size_t(format_->sampleRate() * kLongestClipSeconds));
    input_ = source_->start();
    if (!input_ || source_->error() != QAudio::NoError) {
        source_.reset();
        emit failed(kNoMicrophone);
        return false;
    }
    connect(input_, &QIODevice::readyRead, this, &VoiceRecorder::read);
    connect(source_.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && source_ && source_->error() != QAudio::NoError)
            fail(kMicrophoneStopped);
    });
    silence_.start(kFirstDataMs);
    return true;
}

void VoiceRecorder::read()
{
    if (drain())
        stop();
}

bool VoiceRecorder::drain()
{
    if (!input_)
        return false;
    const QByteArray bytes = input_->readAll();
    const int frameBytes = format_->bytesPerFrame(), sampleBytes = format_->bytesPerSample();
    if (frameBytes <= 0 || bytes.size() < frameBytes)
        return false;
    silence_.start(kDataGapMs);
    const std::size_t before = take_.samples.size();
    if (before == 0)
        emit listening();
    const std::size_t most = std::size_t(format_->sampleRate() * kLongestClipSeconds);
    for (qsizetype at = 0; at + frameBytes <= bytes.size() && take_.samples.size() < most; at += frameBytes) {
        float sum = 0;
        for (int channel = 0; channel < format_->channelCount(); ++channel)
            sum += format_->normalizedSampleValue(bytes.constData() + at + channel * sampleBytes);
        take_.samples.push_back(sum / float(format_->channelCount()));
    }
    emit level(levelDb(take_.samples.data() + before, take_.samples.size() - before));
    return take_.samples.size() >= most;
}

void VoiceRecorder::stop()
{
    if (!source_)
        return;
    drain();
    cancel();
    emit taken(take_);
}

void VoiceRecorder::cancel()
{
    silence_.stop();
    if (source_) {
        source_->disconnect(this);
        if (input_)
            input_->disconnect(this);
        source_->stop();
        source_.reset();
    }
    input_ = nullptr;
}

void VoiceRecorder::fail(const QString &message)
{
    cancel();
    emit failed(message);
}
