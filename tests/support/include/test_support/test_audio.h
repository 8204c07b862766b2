#pragma once

// Small audio files for the command's tests: written and read back with libsndfile, with
// tones, reproducible noise and a single-frequency level meter.

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace miral::test {

struct Audio {
    int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    int channels = 1;
    int rate = 48000;
    std::vector<float> samples; ///< interleaved
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
};

inline void writeAudio(const std::string& path, const Audio& audio) {
    SF_INFO info{};
    info.format = audio.format;
    info.channels = audio.channels;
    info.samplerate = audio.rate;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, audio.samples.data(), audio.frames());
    sf_close(file);
}

inline Audio readAudio(const std::string& path) {
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (!file)
        return audio;
    audio.format = info.format;
    audio.channels = info.channels;
    audio.rate = info.samplerate;
    audio.samples.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

/// Sum of sines (frequency, amplitude) in every channel; `frames` long.
inline Audio tones(int format, int channels, int rate, int64_t frames,
                   const std::vector<std::pair<double, double>>& partials) {
    Audio audio{format, channels, rate, {}};
    for (int64_t i = 0; i < frames; ++i) {
        double sum = 0.0;
        for (const auto& [hz, amplitude] : partials)
            sum +=
                amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c)
            audio.samples.push_back(static_cast<float>(sum));
    }
    return audio;
}

/// Reproducible white noise in ±amplitude, different in every channel.
inline Audio noise(int format, int channels, int rate, int64_t frames, double amplitude) {
    Audio audio{format, channels, rate, {}};
    uint32_t state = 12345u;
    for (int64_t i = 0; i < frames * channels; ++i) {
        state = state * 1664525u + 1013904223u;
        audio.samples.push_back(
            static_cast<float>(amplitude * (static_cast<double>(state) / 2147483648.0 - 1.0)));
    }
    return audio;
}

/// Amplitude of the `hz` component of channel `channel`, over the second half of the audio
/// (past the filters' settling), by correlation with a sine and a cosine.
inline double toneAmplitude(const Audio& audio, double hz, int channel = 0) {
    double re = 0.0, im = 0.0;
    const int64_t first = audio.frames() / 2;
    const int64_t count = audio.frames() - first;
    for (int64_t i = first; i < audio.frames(); ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / audio.rate;
        const double x = audio.samples[static_cast<size_t>(i * audio.channels + channel)];
        re += x * std::cos(phase);
        im += x * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

inline double levelChangeDb(const Audio& before, const Audio& after, double hz, int channel = 0) {
    return 20.0 *
           std::log10(toneAmplitude(after, hz, channel) / toneAmplitude(before, hz, channel));
}

} // namespace miral::test
