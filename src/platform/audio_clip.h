// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// A mono recording, samples from -1 to 1.
struct AudioClip {
    std::vector<float> samples;
    int rate = 48000;
    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0; }
};

// The loudness every take is brought to, as the RMS of its voiced part, and the peak it never
// passes; both in dBFS.
constexpr double kTargetLoudnessDb = -20.0;
constexpr double kPeakCeilingDb = -1.0;
// A level below this throughout is silence, whatever the microphone's noise.
constexpr double kSilenceDb = -45.0;
// Kept before the voice (little: a take is heard from its first sample, and every millisecond
// of it delays the number) and after it (the fall of its last sound).
constexpr int kLeadMarginMs = 10;
constexpr int kTailMarginMs = 40;

// The level of a part of a clip: RMS in dBFS, -200 for digital silence.
double levelDb(const float *samples, std::size_t count);

struct VoicedSpan {
    std::size_t begin = 0, end = 0; // samples [begin, end) with the voice
    bool reachesEnd = false; // the voice was still going when the take stopped
    bool empty() const { return begin >= end; }
};
// Where the voice is: from the first to the last 10 ms window above the threshold (the
// loudest window less 30 dB, never under kSilenceDb); empty for a silent clip.
VoicedSpan voicedSpan(const AudioClip &clip);
// The clip without the silence at either end, the margins left around the voice.
AudioClip trimmed(const AudioClip &clip);
// What a take is played from: just before its first sample above kSilenceDb, that lead faded
// in so that it does not click; the margin kept in the file would only delay the number.
constexpr int kPlayedLeadMs = 1;
AudioClip fromFirstSound(const AudioClip &clip);
// The clip brought to kTargetLoudnessDb, or less where its peak would pass kPeakCeilingDb.
AudioClip normalised(const AudioClip &clip);
// The same sound at another rate (linear interpolation: speech, not music).
AudioClip resampled(const AudioClip &clip, int rate);

// FLAC files of 16-bit samples, through libsndfile. A file that is not a short mono or stereo
// recording reads as nothing, with the reason in `error`.
constexpr double kLongestClipSeconds = 10.0;
bool readClip(const QString &path, AudioClip *clip, QString *error);
// Written beside and renamed over the old file, so that a failed write leaves it as it was.
bool writeClip(const QString &path, const AudioClip &clip, QString *error);

// 16-bit samples, as a sound server plays them.
std::vector<qint16> toSamples(const AudioClip &clip);
