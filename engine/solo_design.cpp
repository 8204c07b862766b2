#include "engine/solo_design.h"

#include "engine/params.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace miral {
namespace {
constexpr double kShelfSideQ = std::numbers::sqrt2 / 2;
constexpr double kLowestHz = 10.0;
constexpr double kHighestShareOfRate = 0.45;
} // namespace

BiquadCoefficients designSolo(int band, double frequencyHz, double q, double sampleRateHz) {
    const double f = std::clamp(frequencyHz, kLowestHz, kHighestShareOfRate * sampleRateHz);
    const bool shelf = band == 0 || band == kNumBands - 1;
    const double quality = shelf ? kShelfSideQ : std::clamp(q, 0.1, 100.0);
    const double omega = 2 * std::numbers::pi * f / sampleRateHz;
    const double cosine = std::cos(omega);
    const double alpha = std::sin(omega) / (2 * quality);
    const double a0 = 1 + alpha;
    const double a1 = -2 * cosine / a0;
    const double a2 = (1 - alpha) / a0;
    if (band == 0) {
        const double b = (1 - cosine) / 2 / a0;
        return {b, 2 * b, b, a1, a2};
    }
    if (band == kNumBands - 1) {
        const double b = (1 + cosine) / 2 / a0;
        return {b, -2 * b, b, a1, a2};
    }
    return {alpha / a0, 0.0, -alpha / a0, a1, a2};
}

} // namespace miral
