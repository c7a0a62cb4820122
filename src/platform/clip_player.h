// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

// Something that plays one clip at a time and tells when it has been heard to the end.
class ClipOutput {
public:
    virtual ~ClipOutput() = default;
    // False when the clip cannot be played now (no sound server yet): nothing is played.
    virtual bool play(std::shared_ptr<const std::vector<qint16>> clip) = 0;
    virtual bool playing() const = 0;
};

// Plays clips held in memory through one PulseAudio stream kept open from the start, so that
// a clip is heard within the sound server's own latency: no stream to open, no file to read.
// Mono 16-bit at kRate. The server is reached on libpulse's own thread; `finished` is emitted
// on this object's thread once the server has played the last sample.
class ClipPlayer : public QObject, public ClipOutput {
    Q_OBJECT
public:
    static constexpr int kRate = 48000;
    // What the server keeps buffered ahead of the speakers.
    static constexpr int kBufferMs = 5;

    explicit ClipPlayer(QObject *parent = nullptr);
    ~ClipPlayer() override;

    // Connects to the sound server and opens the stream, once; until then nothing plays.
    void open();

    bool play(std::shared_ptr<const std::vector<qint16>> clip) override;
    bool playing() const override;
    // The stream is open and takes clips.
    bool ready() const;

signals:
    void finished();

private:
    struct Pulse;
    std::unique_ptr<Pulse> pulse_;
};
