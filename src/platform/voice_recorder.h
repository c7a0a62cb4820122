// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/audio_clip.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QAudioFormat;
class QAudioSource;
class QIODevice;

inline const QString kNoMicrophone = QStringLiteral("Non c'è un microfono: collegarne uno e riprovare.");
inline const QString kMicrophoneStopped =
    QStringLiteral("Il microfono si è fermato durante la registrazione: riprovare.");
inline const QString kMicrophoneMute =
    QStringLiteral("Dal microfono non arriva niente: controllare che sia collegato e non spento, poi riprovare.");

// One take from the default microphone, into memory, with its level as it goes. Takes stop by
// themselves at kLongestClipSeconds.
class VoiceRecorder : public QObject {
    Q_OBJECT
public:
    explicit VoiceRecorder(QObject *parent = nullptr);
    ~VoiceRecorder() override;

    // False, with `failed` emitted, when there is no microphone.
    bool start();
    // Ends the take: `taken` with what was heard, or `failed`.
    void stop();
    // Drops the take without a word.
    void cancel();
    bool recording() const { return source_ != nullptr; }

signals:
    // The first samples of a take have come: from now on what is said is in it.
    void listening();
    void level(double db);
    void taken(const AudioClip &take);
    void failed(const QString &message);

private:
    void read();
    // Takes in what the device has; true when the take is full.
    bool drain();
    void fail(const QString &message);

    std::unique_ptr<QAudioSource> source_;
    QIODevice *input_ = nullptr;
    std::unique_ptr<QAudioFormat> format_;
    AudioClip take_;
    QTimer silence_; // no data from the device for too long
};
