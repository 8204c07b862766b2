#pragma once

// Measures what automation adds to the sound: a 60 Hz tone at −12 dBFS through band 1 (low shelf
// at 100 Hz) while its gain moves, at 44.1 kHz. The tone and everything a smooth gain change
// makes of it stay far below 1 kHz, so whatever the output holds above 1 kHz is the artifact:
// zipper noise of a stepwise ramp, the click of a jump. The figure is the peak sample of the
// output's content above 1 kHz (an eighth-order high-pass), in dBFS.

#include "engine/eq_engine.h"
#include "engine/inverse_laws.h"
#include "engine/params.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace miral::measure {

inline constexpr double kRateHz = 44100.0;
inline constexpr double kToneHz = 60.0;
inline constexpr double kToneDbfs = -12.0;
inline constexpr double kLowGainDb = -16.0;
inline constexpr double kHighGainDb = 16.0;
inline constexpr double kLeadSeconds = 0.5; ///< steady tone before the gain moves
inline constexpr double kRampSeconds = 2.0;
inline constexpr double kTailSeconds = 0.5;
/// The high-pass's answer to the tone's start has died away by then.
inline constexpr double kSettledSeconds = 0.4;

/// How the host moves the gain.
struct Automation {
    int32_t blockFrames = 512; ///< the gain is set at the start of every block
    double smoothingSeconds = 0.0;
    bool jump = false;         ///< one step halfway through instead of a ramp
    double delaySeconds = 0.0; ///< the whole movement starts this much later
};

/// Gain 1 in dB at `seconds` for a ramp or a jump.
inline double gainAt(const Automation& automation, double seconds) {
    const double p =
        std::clamp((seconds - automation.delaySeconds - kLeadSeconds) / kRampSeconds, 0.0, 1.0);
    if (automation.jump)
        return p < 0.5 ? kLowGainDb : kHighGainDb;
    return kLowGainDb + (kHighGainDb - kLowGainDb) * p;
}

/// The engine's output for the tone under `automation`.
inline std::vector<float> automatedOutput(const Automation& automation) {
    const auto frames =
        static_cast<int32_t>((kLeadSeconds + kRampSeconds + kTailSeconds) * kRateHz);
    const double amplitude = std::pow(10.0, kToneDbfs / 20.0);
    std::vector<float> tone(static_cast<size_t>(frames)), out(tone.size());
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(
            amplitude * std::sin(2 * std::numbers::pi * kToneHz * double(i) / kRateHz));

    EqEngine engine;
    engine.setSampleRate(static_cast<float>(kRateHz));
    engine.setSmoothingTime(automation.smoothingSeconds);
    engine.setParameter(toIndex(ParamId::Freq1), static_cast<float>(frequencyHzToNorm(100.0, 0)));
    engine.setParameter(toIndex(ParamId::Gain1), static_cast<float>(gainDbToNorm(kLowGainDb)));
    engine.resume();
    for (int32_t start = 0; start < frames; start += automation.blockFrames) {
        const int32_t n = std::min(automation.blockFrames, frames - start);
        const float gain = static_cast<float>(gainDbToNorm(gainAt(automation, start / kRateHz)));
        engine.setParameter(toIndex(ParamId::Gain1), gain);
        const float* in[2] = {tone.data() + start, tone.data() + start};
        float* outputs[2] = {out.data() + start, out.data() + start};
        engine.processReplacing(in, outputs, n);
    }
    return out;
}

/// The ramp set at every sample without smoothing, delayed by 0, `step`, 2·`step`... seconds.
inline std::vector<std::vector<float>> delayedRamps(double stepSeconds, int count) {
    std::vector<std::vector<float>> ramps;
    for (int k = 0; k < count; ++k)
        ramps.push_back(automatedOutput({1, 0.0, false, k * stepSeconds}));
    return ramps;
}

/// How far `output` trails the ramp set at every sample: the delay of the ramp among `ramps`
/// (delayedRamps) that matches it best, by the largest difference over the ramp.
inline double lagSeconds(const std::vector<float>& output,
                         const std::vector<std::vector<float>>& ramps, double stepSeconds) {
    const auto from = static_cast<size_t>((kLeadSeconds + 0.2) * kRateHz);
    const auto to = static_cast<size_t>((kLeadSeconds + kRampSeconds - 0.2) * kRateHz);
    double best = INFINITY, bestDelay = 0.0;
    for (size_t k = 0; k < ramps.size(); ++k) {
        double difference = 0.0;
        for (size_t i = from; i < to; ++i)
            difference = std::max(difference, double(std::fabs(output[i] - ramps[k][i])));
        if (difference < best)
            best = difference, bestDelay = double(k) * stepSeconds;
    }
    return bestDelay;
}

/// Peak of `signal`'s content above 1 kHz, in dBFS, from kSettledSeconds on.
inline double peakAbove1kHzDbfs(const std::vector<float>& signal) {
    // Butterworth high-pass of order 8 at 1 kHz: four sections with the Butterworth Qs.
    const double w = 2 * std::numbers::pi * 1000.0 / kRateHz;
    std::vector<double> x(signal.begin(), signal.end());
    for (double q : {0.50980, 0.60134, 0.89998, 2.56292}) {
        const double alpha = std::sin(w) / (2 * q), cw = std::cos(w), a0 = 1 + alpha;
        const double b0 = (1 + cw) / 2 / a0, b1 = -(1 + cw) / a0, b2 = b0;
        const double a1 = -2 * cw / a0, a2 = (1 - alpha) / a0;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& sample : x) {
            const double y = b0 * sample + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = sample, y2 = y1, y1 = y;
            sample = y;
        }
    }
    double peak = 0;
    for (size_t i = static_cast<size_t>(kSettledSeconds * kRateHz); i < x.size(); ++i)
        peak = std::max(peak, std::fabs(x[i]));
    return 20 * std::log10(std::max(peak, 1e-12));
}

} // namespace miral::measure
