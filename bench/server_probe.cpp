// SPDX-License-Identifier: GPL-3.0-or-later
// The sound server alone: a PulseAudio stream kept open, as the program keeps its own, and a
// clip loud from its first sample written whole on each line read from stdin. Prints the
// monotonic moment (seconds) just before each write, so that the bench can time the write to
// the first sound on the sink's monitor.
#include <pulse/error.h>
#include <pulse/simple.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    constexpr int rate = 48000;
    const int bufferMs = argc > 1 ? std::stoi(argv[1]) : 5;
    const pa_sample_spec spec{PA_SAMPLE_S16LE, rate, 1};
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(bufferMs) * 1000, &spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple *stream =
        pa_simple_new(nullptr, "server_probe", PA_STREAM_PLAYBACK, nullptr, "probe", &spec, nullptr, &attr, &error);
    if (!stream) {
        std::fprintf(stderr, "server_probe: %s\n", pa_strerror(error));
        return 1;
    }
    // 300 ms of 1 kHz at -6 dBFS.
    std::vector<int16_t> clip(rate * 3 / 10);
    for (std::size_t i = 0; i < clip.size(); ++i)
        clip[i] = int16_t(16384 * std::sin(2 * M_PI * 1000 * double(i) / rate + M_PI / 2));
    std::string line;
    while (std::getline(std::cin, line)) {
        const double moment =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        if (pa_simple_write(stream, clip.data(), clip.size() * sizeof(int16_t), &error) < 0) {
            std::fprintf(stderr, "server_probe: %s\n", pa_strerror(error));
            return 1;
        }
        std::printf("%.6f\n", moment);
        std::fflush(stdout);
    }
    pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    return 0;
}
