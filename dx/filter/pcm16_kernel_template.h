#pragma once

// The vector conversions of 16-bit stereo, written once over a register width (`Lanes`) and
// compiled for each instruction set that has one. Each converts whole groups of kWidth frames
// from the start and returns how many frames it took; the caller converts the rest one by one.
// Every output bit is the one-sample conversions' (checked against them for every float and
// every 16-bit sample):
// - to float, the correctly rounded n / 32767 or n / 32768, which is what the double-precision
//   product rounded to float gives for every 16-bit n: n / 32768 is exact, and n / 32767 is
//   n / 32768 × (1 + 1 / 32767) in two roundings that give the correctly rounded quotient;
// - from float, the processor rounds the scaled value to the nearest integer, halfway to even.
//   Scaling rounds too, but never across a half (halves are floats), so only a scaled value of
//   exactly a half can round otherwise than the exact one rounded halfway away from zero. A
//   group holding one, or a value beyond the integers' range or not a number (which the
//   processor converts to the lowest integer), is converted one sample at a time. The pack to
//   16 bits saturates, which limits every other value as the one-sample conversion does.

#include "dx/filter/sample_conversion.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace miral::dx::pcm16_kernel {

constexpr float kPositiveFullScale = 32767.0f;
constexpr float kNegativeFullScale = 32768.0f;

/// The positive or negative scale for each lane, by the lane's sign (-0 and not a number:
/// positive).
template <class Lanes> typename Lanes::Floats bySign(typename Lanes::Floats value) noexcept {
    const auto negativeLanes = Lanes::lessThan(value, Lanes::splat(0.0f));
    return Lanes::add(
        Lanes::splat(kPositiveFullScale),
        Lanes::bitAnd(negativeLanes, Lanes::splat(kNegativeFullScale - kPositiveFullScale)));
}

template <class Lanes> typename Lanes::Floats toFloat(typename Lanes::Ints samples) noexcept {
    const auto quotients =
        Lanes::mul(Lanes::toFloats(samples), Lanes::splat(float(1.0 / kNegativeFullScale)));
    const auto corrections =
        Lanes::bitAnd(Lanes::positive(samples), Lanes::splat(float(1.0 / kPositiveFullScale)));
    return Lanes::add(quotients, Lanes::mul(quotients, corrections));
}

/// The scaled values rounded, before limiting; `untrusted` marks the lanes that are a half,
/// too large, or not a number.
template <class Lanes>
typename Lanes::Ints toPcm16(typename Lanes::Floats values,
                             typename Lanes::Floats& untrusted) noexcept {
    const auto scaled = Lanes::mul(values, bySign<Lanes>(values));
    const auto rounded = Lanes::roundToInts(scaled);
    // At most a half in range; a half, more, or not a number otherwise.
    const auto distance = Lanes::magnitude(Lanes::sub(scaled, Lanes::toFloats(rounded)));
    untrusted = Lanes::notLessThan(distance, Lanes::splat(0.5f));
    return rounded;
}

template <class Lanes>
std::size_t deinterleave(const std::uint8_t* source, std::size_t frames, float* left,
                         float* right) noexcept {
    constexpr std::size_t kWidth = Lanes::kWidth;
    std::size_t i = 0;
    for (; i + kWidth <= frames; i += kWidth) {
        const auto pairs = Lanes::loadInts(source + 4 * i);
        Lanes::storeFloats(left + i, toFloat<Lanes>(Lanes::lowHalves(pairs)));
        Lanes::storeFloats(right + i, toFloat<Lanes>(Lanes::highHalves(pairs)));
    }
    return i;
}

template <class Lanes>
std::size_t interleave(const float* left, const float* right, std::size_t frames,
                       std::uint8_t* target) noexcept {
    constexpr std::size_t kWidth = Lanes::kWidth;
    std::size_t i = 0;
    for (; i + kWidth <= frames; i += kWidth) {
        typename Lanes::Floats leftUntrusted;
        typename Lanes::Floats rightUntrusted;
        const auto lefts = toPcm16<Lanes>(Lanes::loadFloats(left + i), leftUntrusted);
        const auto rights = toPcm16<Lanes>(Lanes::loadFloats(right + i), rightUntrusted);
        if (Lanes::any(Lanes::bitOr(leftUntrusted, rightUntrusted))) {
            for (std::size_t k = i; k < i + kWidth; ++k) {
                const int16_t pair[2] = {floatToPcm16(left[k]), floatToPcm16(right[k])};
                std::memcpy(target + 4 * k, pair, sizeof pair);
            }
            continue;
        }
        Lanes::storeInts(target + 4 * i, Lanes::interleaveAndPack(lefts, rights));
    }
    return i;
}

} // namespace miral::dx::pcm16_kernel
