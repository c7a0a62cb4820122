// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/speech_dispatcher_voice.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class SettingsStore;

// The voice the caller chooses, kept in the settings under a group of its own. Nothing
// chosen leaves speech-dispatcher's own configuration to decide.
VoiceChoice loadVoiceChoice(SettingsStore &store);
void storeVoiceChoice(SettingsStore &store, const VoiceChoice &choice);

// "Voce": the synthesisers installed and the Italian voices of each, with speed, pitch and
// volume; "Prova" says a number with the choice, OK keeps it.
class VoiceDialog : public QDialog {
    Q_OBJECT
public:
    VoiceDialog(SpeechDispatcherVoice &voice, QWidget *parent);

    // Shows the current choice and asks the voice for its list anew.
    void present(const VoiceChoice &current);
    VoiceChoice choice() const;
    // "La mia voce", and how many of the 91 takes there are.
    void showOwnVoice(bool on, int takes);
    bool ownVoice() const;
    // "Prova" is off while a take is recorded: it would be heard in the take.
    void allowSample(bool allowed);

signals:
    // "Registra la voce…"
    void recordingAsked();

private:
    void showVoices(const QList<ModuleVoices> &voices);
    void fillVoices();

    SpeechDispatcherVoice &voice_;
    QList<ModuleVoices> voices_;
    VoiceChoice shown_;
    QComboBox *module_;
    QComboBox *name_;
    QSlider *rate_;
    QSlider *pitch_;
    QSlider *volume_;
    QLabel *state_;
    QCheckBox *ownVoice_;
    QLabel *takes_;
    QPushButton *sample_;
};

inline const QString kVoiceSample = QStringLiteral("è uscito il numero 90");
