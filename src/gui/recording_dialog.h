// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/audio_clip.h"
#include "platform/voice_recorder.h"

#include <QDialog>
#include <QTimer>

class ClipPlayer;
class RecordedVoice;
class QLabel;
class QProgressBar;
class QPushButton;

// "Registra la voce…": the numbers 1 to 90 and then the phrase said before a number, one take
// each, from the first not yet recorded. Space records and stops, Enter goes on to the next,
// Backspace records the shown one again, A plays it back, Left goes back one. A take is
// trimmed, brought to one loudness and kept in the data folder only when it has a voice in
// full; otherwise it is refused with the reason and the take before stays. A take begins once
// the program's voice has finished what it was saying, and the voice holds what it is given
// until the take ends.
class RecordingDialog : public QDialog {
    Q_OBJECT
public:
    RecordingDialog(ClipPlayer &player, RecordedVoice &voice, QWidget *parent);
    ~RecordingDialog() override;

    // Opens on the first take not recorded yet.
    void present();
    // The take shown: 1 to 90, or recordings::kPhrase.
    int shownTake() const;

signals:
    // A take was kept on disk.
    void takeKept(int take);
    // From Space until the take ends, waiting for the voice included.
    void recordingChanged(bool recording);

public:
    // Esc, "Chiudi" or the window's close: a take under way is dropped.
    void reject() override;

private:
    void show(int position);
    void toggleRecording();
    void startWhenQuiet();
    bool taking() const;
    void redo();
    void next();
    void back();
    void listen();
    void taken(const AudioClip &take);
    void refused(const QString &message);
    void setStatus(const QString &text);
    void showState();

    ClipPlayer &player_;
    RecordedVoice &voice_;
    VoiceRecorder recorder_;
    QTimer voiceWait_; // Space was pressed while the voice was still speaking
    bool held_ = false;
    int position_ = 0; // 0..89 the numbers 1..90, 90 the phrase
    QLabel *counter_;
    QLabel *shown_;
    QProgressBar *meter_;
    QLabel *status_;
    QPushButton *record_;
    QPushButton *listen_;
    QPushButton *redo_;
    QPushButton *back_;
    QPushButton *next_;
};
