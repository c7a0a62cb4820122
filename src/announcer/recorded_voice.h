// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clip_player.h"
#include "platform/recordings.h"
#include "platform/voice.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

inline const QString kUnreadableTakes =
    QStringLiteral("Non si leggono le registrazioni %1: quei numeri li dice la voce sintetica.");

// "La mia voce": a number that was recorded is played from its take, the phrase before it too;
// every other text goes to the speech voice. One queue for both, in the order given: a take
// waits for the texts before it to be said in full, and a text for the take before it.
// Off, every text goes straight to the speech voice.
class RecordedVoice : public QObject, public Voice {
    Q_OBJECT
public:
    using Samples = std::shared_ptr<const std::vector<qint16>>;
    using Takes = std::array<Samples, recordings::kTakes>;

    // `sayLogged` hands the speech voice a text this voice has logged already; without it,
    // the speech voice's speak.
    RecordedVoice(Voice &speech, ClipOutput &clips, std::function<void(const QString &)> sayLogged = {},
        QObject *parent = nullptr);
    ~RecordedVoice() override;

    void speak(const QString &text) override;
    bool isSpeaking() const override;

    void setOn(bool on);
    bool isOn() const { return on_; }
    // While a take is recorded: every text waits unsaid, and is said in order once let go.
    void setHeld(bool held);
    // Something handed on is still heard: a text being spoken or a clip playing.
    bool isSaying() const;
    void setTakes(const Takes &takes);
    // Reads the takes from the data folder on a thread of its own; until then the speech
    // voice says the numbers. Files that do not read are told once each, by `problem`.
    void loadTakes();
    int takeCount() const;
    // The clip output has played its clip to the end.
    void clipFinished();

    // The take a text is said with, if there is one: a bare number, a number after the
    // phrase, or a digit spelled out ("7. ").
    Samples takeFor(const QString &text) const;

signals:
    void problem(const QString &text);
    void takesLoaded();

private:
    struct Item {
        QString text;
        Samples take;
    };
    void pump();
    void takesRead(const recordings::Loaded &loaded);

    Voice &speech_;
    ClipOutput &clips_;
    std::function<void(const QString &)> sayLogged_;
    bool on_ = false;
    bool held_ = false;
    Takes takes_;
    std::deque<Item> waiting_;
    QTimer speechWatch_; // while a take waits for the speech before it to end
    std::thread loader_;
    QSet<QString> told_;
};
