#include "dx/sample_conversion.h"

#include <cmath>

namespace miral::dx {
namespace {

constexpr double kPositiveFullScale = 32767.0;
constexpr double kNegativeFullScale = 32768.0;
constexpr double kPositiveStep = 1.0 / kPositiveFullScale; // 3.051850947599719e-05
constexpr double kNegativeStep = 1.0 / kNegativeFullScale; // 3.0517578125e-05
/// Half a step, added away from zero before truncation: rounds to the nearest integer.
constexpr double kRounding = 0.5;

} // namespace

float pcm16ToFloat(int16_t sample) noexcept {
    const double scaled = sample >= 0 ? sample * kPositiveStep : sample * kNegativeStep;
    return static_cast<float>(scaled);
}

int16_t floatToPcm16(float value) noexcept {
    if (std::isnan(value))
        return 0;
    const double y = value;
    const double scaled =
        y >= 0.0 ? y * kPositiveFullScale + kRounding : y * kNegativeFullScale - kRounding;
    if (scaled >= kPositiveFullScale)
        return INT16_MAX;
    if (scaled <= -kNegativeFullScale)
        return INT16_MIN;
    return static_cast<int16_t>(static_cast<int32_t>(scaled)); // truncates toward zero
}

} // namespace miral::dx
