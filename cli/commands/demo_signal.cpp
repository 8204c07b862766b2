#include "commands/demo_signal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace miral::cli {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kBeatSeconds = 0.5;         // 120 beats per minute
constexpr double kPeakLevel = 0.5;           // −6 dBFS, headroom for the boosting programs
constexpr int kPadHarmonics = 8;             // a soft, band-limited sawtooth
constexpr double kPadAttackSeconds = 0.02;   // no click at the chord changes
constexpr double kBassDecaySeconds = 0.35;   // plucked bass notes, one per beat
constexpr double kKickDecaySeconds = 0.12;   // body of the kick drum
constexpr double kKickSweepSeconds = 0.03;   // pitch drop of the kick drum
constexpr double kHatDecaySeconds = 0.04;    // short closed hats on every eighth note
constexpr double kNoiseFloor = 0.01;         // a hiss for the high shelf to find
constexpr uint32_t kNoiseSeed = 0x2545f491u; // fixed, so the signal never changes

struct Chord {
    double bassHz;
    std::array<double, 4> padHz;
};

// Am7, then Fmaj7 for the second half.
constexpr std::array<Chord, 2> kChords{{
    {55.0, {220.0, 261.626, 329.628, 391.995}},
    {43.654, {174.614, 220.0, 261.626, 329.628}},
}};

/// Small deterministic white-noise source, uniform in −1..1.
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    uint32_t state_ = kNoiseSeed;
};

double pad(const Chord& chord, double t, int voice) {
    double sum = 0.0;
    for (int n = 1; n <= kPadHarmonics; ++n)
        sum += std::sin(kTwoPi * n * chord.padHz[static_cast<size_t>(voice)] * t) / n;
    return sum;
}

} // namespace

std::vector<float> synthesiseDemoSignal() {
    const auto frames = static_cast<size_t>(kDemoSeconds * kDemoSampleRateHz);
    std::vector<double> mix(frames * 2);
    Noise noise;
    double hatPrevious = 0.0, hatHighPassed = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kDemoSampleRateHz;
        const Chord& chord = kChords[t < kDemoSeconds / 2 ? 0 : 1];
        const double sinceChord = std::fmod(t, kDemoSeconds / 2);
        const double sinceBeat = std::fmod(t, kBeatSeconds);
        const double sinceEighth = std::fmod(t, kBeatSeconds / 2);
        const bool downBeat = std::fmod(t, 2 * kBeatSeconds) < kBeatSeconds;

        const double padGain = 0.08 * std::min(1.0, sinceChord / kPadAttackSeconds);
        double left = 0.0, right = 0.0;
        for (int voice = 0; voice < 4; ++voice) {
            const double v = padGain * pad(chord, t, voice);
            (voice % 2 ? right : left) += 0.7 * v;
            (voice % 2 ? left : right) += 0.3 * v;
        }

        const double bassPhase = kTwoPi * chord.bassHz * t;
        const double bass = 0.35 * std::exp(-sinceBeat / kBassDecaySeconds) *
                            (std::sin(bassPhase) + 0.3 * std::sin(2 * bassPhase));

        // The kick's pitch falls from 120 Hz to 45 Hz; its phase is the integral of that sweep.
        const double kickPhase =
            kTwoPi * (45.0 * sinceBeat +
                      75.0 * kKickSweepSeconds * (1.0 - std::exp(-sinceBeat / kKickSweepSeconds)));
        const double kick =
            downBeat ? 0.5 * std::exp(-sinceBeat / kKickDecaySeconds) * std::sin(kickPhase) : 0.0;

        const double white = noise.next();
        hatHighPassed = white - hatPrevious; // first difference: the hats' energy sits high
        hatPrevious = white;
        const double hat = 0.25 * std::exp(-sinceEighth / kHatDecaySeconds) * hatHighPassed;
        const double hiss = kNoiseFloor * noise.next();

        mix[2 * i] = left + bass + kick + 0.7 * hat + hiss;
        mix[2 * i + 1] = right + bass + kick + hat + hiss;
    }
    double peak = 0.0;
    for (const double sample : mix)
        peak = std::max(peak, std::fabs(sample));
    std::vector<float> signal(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        signal[i] = static_cast<float>(mix[i] * kPeakLevel / peak);
    return signal;
}

} // namespace miral::cli
