// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_clip.h"

#include <sndfile.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

std::size_t windowOf(const AudioClip &clip) { return std::max<std::size_t>(1, std::size_t(clip.rate) / 100); }

} // namespace

double levelDb(const float *samples, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count && sum > 0 ? 10.0 * std::log10(sum / double(count)) : -200.0;
}

VoicedSpan voicedSpan(const AudioClip &clip)
{
    const std::size_t window = windowOf(clip), size = clip.samples.size();
    std::vector<double> levels;
    for (std::size_t at = 0; at < size; at += window)
        levels.push_back(levelDb(clip.samples.data() + at, std::min(window, size - at)));
    if (levels.empty())
        return {};
    const double loudest = *std::max_element(levels.begin(), levels.end());
    const double threshold = std::max(kSilenceDb, loudest - 30.0);
    const auto voiced = [threshold](double level) { return level >= threshold; };
    const auto first = std::find_if(levels.begin(), levels.end(), voiced);
    if (first == levels.end())
        return {};
    const auto last = std::find_if(levels.rbegin(), levels.rend(), voiced).base();
    VoicedSpan span;
    span.begin = std::size_t(first - levels.begin()) * window;
    span.end = std::min(size, std::size_t(last - levels.begin()) * window);
    span.reachesEnd = last == levels.end();
    return span;
}

AudioClip trimmed(const AudioClip &clip)
{
    const VoicedSpan span = voicedSpan(clip);
    if (span.empty())
        return {{}, clip.rate};
    const std::size_t lead = std::size_t(clip.rate) * kLeadMarginMs / 1000;
    const std::size_t tail = std::size_t(clip.rate) * kTailMarginMs / 1000;
    const std::size_t begin = span.begin > lead ? span.begin - lead : 0;
    const std::size_t end = std::min(clip.samples.size(), span.end + tail);
    return {{clip.samples.begin() + std::ptrdiff_t(begin), clip.samples.begin() + std::ptrdiff_t(end)}, clip.rate};
}

AudioClip fromFirstSound(const AudioClip &clip)
{
    const auto audible = [floor = dbToGain(kSilenceDb)](float s) { return std::abs(s) >= floor; };
    const auto first =
        std::size_t(std::find_if(clip.samples.begin(), clip.samples.end(), audible) - clip.samples.begin());
    if (first == clip.samples.size())
        return clip;
    const std::size_t lead = std::min(first, std::size_t(clip.rate) * kPlayedLeadMs / 1000);
    AudioClip out{{clip.samples.begin() + std::ptrdiff_t(first - lead), clip.samples.end()}, clip.rate};
    for (std::size_t i = 0; i < lead; ++i)
        out.samples[i] *= float(i) / float(lead);
    return out;
}

AudioClip normalised(const AudioClip &clip)
{
    const VoicedSpan span = voicedSpan(clip);
    if (span.empty())
        return clip;
    float peak = 0;
    for (float s : clip.samples)
        peak = std::max(peak, std::abs(s));
    const double loudness = levelDb(clip.samples.data() + span.begin, span.end - span.begin);
    const double gain = std::min(dbToGain(kTargetLoudnessDb - loudness), dbToGain(kPeakCeilingDb) / peak);
    AudioClip out = clip;
    for (float &s : out.samples)
        s = float(s * gain);
    return out;
}

AudioClip resampled(const AudioClip &clip, int rate)
{
    if (clip.rate == rate || clip.samples.empty() || rate <= 0)
        return {clip.samples, rate};
    const double step = double(clip.rate) / rate;
    const auto count = std::size_t(double(clip.samples.size()) / step);
    AudioClip out{std::vector<float>(count), rate};
    for (std::size_t i = 0; i < count; ++i) {
        const double at = double(i) * step;
        const auto left = std::size_t(at);
        const std::size_t right = std::min(left + 1, clip.samples.size() - 1);
        const double part = at - double(left);
        out.samples[i] = float(clip.samples[left] * (1 - part) + clip.samples[right] * part);
    }
    return out;
}

bool readClip(const QString &path, AudioClip *clip, QString *error)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return false;
    }
    bool ok = false;
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 8000 || info.samplerate > 192000)
        *error = QStringLiteral("not a mono or stereo recording");
    else if (info.frames <= 0 || double(info.frames) / info.samplerate > kLongestClipSeconds)
        *error = QStringLiteral("empty or longer than %1 s").arg(kLongestClipSeconds);
    else {
        std::vector<float> frames(std::size_t(info.frames) * std::size_t(info.channels));
        const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
        if (got != info.frames) {
            *error = QStringLiteral("cut short: %1").arg(QString::fromUtf8(sf_strerror(file)));
        } else {
            clip->rate = info.samplerate;
            clip->samples.resize(std::size_t(got));
            for (std::size_t i = 0; i < clip->samples.size(); ++i) {
                float sum = 0;
                for (int c = 0; c < info.channels; ++c)
                    sum += frames[i * std::size_t(info.channels) + std::size_t(c)];
                clip->samples[i] = std::clamp(sum / float(info.channels), -1.0f, 1.0f);
            }
            ok = true;
        }
    }
    sf_close(file);
    return ok;
}

bool writeClip(const QString &path, const AudioClip &clip, QString *error)
{
    const QString partial = path + QStringLiteral(".part");
    SF_INFO info{};
    info.samplerate = clip.rate;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(partial).constData(), SFM_WRITE, &info);
    if (!file) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return false;
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto frames = sf_count_t(clip.samples.size());
    const bool written = sf_writef_float(file, clip.samples.data(), frames) == frames;
    if (!written)
        *error = QString::fromUtf8(sf_strerror(file));
    const bool closed = sf_close(file) == 0;
    if (written && !closed)
        *error = QStringLiteral("could not be closed");
    // rename() takes the old file's place in one step: either the old take or the new one is there.
    if (!written || !closed ||
        std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        if (written && closed)
            *error = QStringLiteral("could not take the place of the old file");
        QFile::remove(partial);
        return false;
    }
    return true;
}

std::vector<qint16> toSamples(const AudioClip &clip)
{
    std::vector<qint16> out(clip.samples.size());
    std::transform(clip.samples.begin(), clip.samples.end(), out.begin(),
        [](float s) { return qint16(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f)); });
    return out;
}
