#include "dx/filter/sample_conversion.h"

#include <cmath>
#include <cstring>

namespace miral::dx {
namespace {

constexpr double kPositiveFullScale = 32767.0;
constexpr double kNegativeFullScale = 32768.0;
constexpr double kPositiveStep = 1.0 / kPositiveFullScale; // 3.051850947599719e-05
constexpr double kNegativeStep = 1.0 / kNegativeFullScale; // 3.0517578125e-05
/// Half a step, added away from zero before truncation: rounds to the nearest integer.
constexpr double kRounding = 0.5;

template <class Sample, class ToFloat>
void deinterleave(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                  float* right, ToFloat toFloat) noexcept {
    Sample in;
    if (channels == 1) {
        for (std::size_t i = 0; i < frames; ++i) {
            std::memcpy(&in, source + i * sizeof(Sample), sizeof(Sample));
            left[i] = right[i] = toFloat(in);
        }
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        std::memcpy(&in, source + (2 * i) * sizeof(Sample), sizeof(Sample));
        left[i] = toFloat(in);
        std::memcpy(&in, source + (2 * i + 1) * sizeof(Sample), sizeof(Sample));
        right[i] = toFloat(in);
    }
}

template <class Sample, class FromFloat>
void interleave(const float* left, const float* right, std::size_t frames, std::uint8_t* target,
                FromFloat fromFloat) noexcept {
    for (std::size_t i = 0; i < frames; ++i) {
        const Sample l = fromFloat(left[i]);
        const Sample r = fromFloat(right[i]);
        std::memcpy(target + (2 * i) * sizeof(Sample), &l, sizeof(Sample));
        std::memcpy(target + (2 * i + 1) * sizeof(Sample), &r, sizeof(Sample));
    }
}

float unchanged(float value) noexcept {
    return value;
}

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

void deinterleavePcm16(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept {
    deinterleave<int16_t>(source, channels, frames, left, right, pcm16ToFloat);
}

void deinterleaveFloat(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept {
    deinterleave<float>(source, channels, frames, left, right, unchanged);
}

void interleavePcm16(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    interleave<int16_t>(left, right, frames, target, floatToPcm16);
}

void interleaveFloat(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    interleave<float>(left, right, frames, target, unchanged);
}

} // namespace miral::dx
