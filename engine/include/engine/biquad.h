#pragma once

// One recursive filter section, H(z) = (b0 + b1·z⁻¹ + b2·z⁻²) / (1 + a1·z⁻¹ + a2·z⁻²), run in
// direct form II over blocks of doubles.

#include <complex>
#include <cstdint>

namespace miral {

struct BiquadCoefficients {
    double b0 = 0.0, b1 = 0.0, b2 = 0.0; ///< feed-forward
    double a1 = 0.0, a2 = 0.0;           ///< feedback
    bool operator==(const BiquadCoefficients&) const = default;
};

/// Recursion state: w[n−1] and w[n−2].
struct BiquadState {
    double w1 = 0.0, w2 = 0.0;
    bool operator==(const BiquadState&) const = default;
};

/// Added to every input sample of a running section so that its state settles at a tiny
/// constant on silence instead of decaying through denormal numbers.
inline constexpr double kDenormalOffset = 1e-15;

/// One sample of the recursion (direct form II) in the order of operations every kernel
/// reproduces: filters `x` and advances w1 and w2.
inline double biquadStep(const BiquadCoefficients& c, double x, double& w1, double& w2) noexcept {
    const double w = (x + kDenormalOffset) - (c.a2 * w2 + c.a1 * w1);
    const double y = c.b2 * w2 + c.b0 * w + c.b1 * w1;
    w2 = w1;
    w1 = w;
    return y;
}

/// Filters `frames` samples of `buffer` in place and advances `state`.
/// Audio thread: no allocation, no library call.
void runBand(const BiquadCoefficients& c, BiquadState& state, double* buffer,
             int32_t frames) noexcept;

/// True when every coefficient is finite and both poles lie strictly inside the unit circle.
bool isFiniteAndStable(const BiquadCoefficients& c);

/// Magnitude response in dB at `frequencyHz` for a section running at `sampleRateHz`.
/// The one response evaluator of the project: the display and the tests use it alike.
double magnitudeDb(const BiquadCoefficients& c, double frequencyHz, double sampleRateHz);

/// z⁻¹ = e^(−jω) on the unit circle for `frequencyHz` at `sampleRateHz`.
std::complex<double> unitCirclePoint(double frequencyHz, double sampleRateHz);

/// magnitudeDb at a point made by unitCirclePoint: the same value, for evaluating many sections
/// at the same frequencies.
double magnitudeDb(const BiquadCoefficients& c, std::complex<double> z1);

} // namespace miral
