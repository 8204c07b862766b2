#include "engine/biquad.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace miral {

void runBand(const BiquadCoefficients& c, BiquadState& state, double* buffer,
             int32_t frames) noexcept {
    double w1 = state.w1;
    double w2 = state.w2;
    for (int32_t i = 0; i < frames; ++i)
        buffer[i] = biquadStep(c, buffer[i], w1, w2);
    state.w1 = w1;
    state.w2 = w2;
}

bool isFiniteAndStable(const BiquadCoefficients& c) {
    for (double v : {c.b0, c.b1, c.b2, c.a1, c.a2})
        if (!std::isfinite(v))
            return false;
    // Poles of z² + a1·z + a2 inside the unit circle (the stability triangle).
    return std::fabs(c.a2) < 1.0 && std::fabs(c.a1) < 1.0 + c.a2;
}

std::complex<double> unitCirclePoint(double frequencyHz, double sampleRateHz) {
    return std::polar(1.0, -2.0 * std::numbers::pi * frequencyHz / sampleRateHz);
}

double magnitudeDb(const BiquadCoefficients& c, std::complex<double> z1) {
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> numerator = c.b0 + c.b1 * z1 + c.b2 * z2;
    const std::complex<double> denominator = 1.0 + c.a1 * z1 + c.a2 * z2;
    // From the squared magnitudes: the same gain without two square roots.
    return 10.0 * std::log10(std::norm(numerator) / std::norm(denominator));
}

double magnitudeDb(const BiquadCoefficients& c, double frequencyHz, double sampleRateHz) {
    return magnitudeDb(c, unitCirclePoint(frequencyHz, sampleRateHz));
}

} // namespace miral
