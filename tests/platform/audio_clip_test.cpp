// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_clip.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kRate = 16000;

// Silence (or noise at `floorDb`), a tone at `toneDb` from `fromMs` to `toMs`, silence again.
AudioClip burst(int totalMs, int fromMs, int toMs, double toneDb, double floorDb = -200)
{
    AudioClip clip{std::vector<float>(std::size_t(kRate * totalMs / 1000)), kRate};
    const double tone = std::pow(10, toneDb / 20) * std::sqrt(2.0), noise = std::pow(10, floorDb / 20);
    unsigned seed = 1;
    for (std::size_t i = 0; i < clip.samples.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        const double ms = 1000.0 * double(i) / kRate;
        const double voice = ms >= fromMs && ms < toMs ? tone * std::sin(2 * M_PI * 440 * double(i) / kRate) : 0;
        clip.samples[i] = float(voice + noise * (double(seed >> 16 & 0x7fff) / 16384.0 - 1.0) * std::sqrt(3.0));
    }
    return clip;
}

// One full-scale sample in silence: its peak, not its loudness, bounds the gain.
AudioClip click(int totalMs, int atMs)
{
    AudioClip clip = burst(totalMs, 0, 0, -200);
    clip.samples[std::size_t(kRate * atMs / 1000)] = 1;
    return clip;
}

} // namespace

TEST(AudioClip, TrimsToTheVoiceAndBringsItToOneLoudness)
{
    const struct {
        const char *name;
        AudioClip take;
        int fromMs, toMs; // expected voice; from = to: none
        bool reachesEnd;
        double peakDb; // of the normalised clip, when the peak decides
    } cases[] = {
        {"quiet word between silences", burst(2000, 600, 1100, -38), 600, 1100, false, 0},
        {"loud word over a noisy room", burst(1500, 300, 800, -6, -50), 300, 800, false, 0},
        {"stopped while speaking", burst(1000, 500, 1000, -20), 500, 1000, true, 0},
        {"only the room's noise", burst(1000, 0, 0, -200, -55), 0, 0, false, 0},
        {"a click among the silence", click(1000, 505), 500, 510, false, kPeakCeilingDb},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const VoicedSpan span = voicedSpan(c.take);
        ASSERT_EQ(span.empty(), c.fromMs == c.toMs);
        const AudioClip cut = trimmed(c.take);
        if (span.empty()) {
            EXPECT_TRUE(cut.samples.empty());
            continue;
        }
        EXPECT_EQ(span.reachesEnd, c.reachesEnd);
        const double msBefore = 1000.0 * double(span.begin) / kRate, msAfter = 1000.0 * double(span.end) / kRate;
        EXPECT_NEAR(msBefore, c.fromMs, 10);
        EXPECT_NEAR(msAfter, c.toMs, 10);
        const double wantedMs =
            std::min(c.toMs + kTailMarginMs, int(1000 * c.take.seconds())) - std::max(0, c.fromMs - kLeadMarginMs);
        EXPECT_NEAR(1000 * cut.seconds(), wantedMs, 12);
        if (c.peakDb == 0) {
            const AudioClip played = fromFirstSound(cut);
            EXPECT_EQ(played.samples.front(), 0.0f); // faded in: no click
            EXPECT_NEAR(1000 * played.seconds(), 1000 * cut.seconds() - kLeadMarginMs + kPlayedLeadMs, 1);
        }
        const AudioClip even = normalised(cut);
        const VoicedSpan voice = voicedSpan(even);
        float peak = 0;
        for (float s : even.samples)
            peak = std::max(peak, std::abs(s));
        if (c.peakDb != 0)
            EXPECT_NEAR(20 * std::log10(peak), c.peakDb, 0.1);
        else
            EXPECT_NEAR(levelDb(even.samples.data() + voice.begin, voice.end - voice.begin), kTargetLoudnessDb, 0.5);
    }
}

TEST(AudioClip, KeepsTakesAsFlacAndRefusesWhatIsNotOne)
{
    QTemporaryDir dir;
    const AudioClip take = normalised(trimmed(burst(1000, 200, 700, -30)));
    QString error;
    ASSERT_TRUE(writeClip(dir.filePath("7.flac"), take, &error)) << error.toStdString();
    AudioClip back;
    ASSERT_TRUE(readClip(dir.filePath("7.flac"), &back, &error)) << error.toStdString();
    ASSERT_EQ(back.samples.size(), take.samples.size());
    EXPECT_EQ(back.rate, kRate);
    for (std::size_t i = 0; i < take.samples.size(); i += 97)
        ASSERT_NEAR(back.samples[i], take.samples[i], 1.0 / 16384);
    EXPECT_NEAR(resampled(back, 48000).seconds(), back.seconds(), 0.001);

    QFile junk(dir.filePath("8.flac"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("fLaC but nothing after it");
    junk.close();
    EXPECT_FALSE(readClip(junk.fileName(), &back, &error));
    EXPECT_FALSE(error.isEmpty());
    // A folder that is a file: the old take stays as it was.
    EXPECT_FALSE(writeClip(dir.filePath("8.flac/9.flac"), take, &error));
    EXPECT_EQ(junk.size(), 25);
}
