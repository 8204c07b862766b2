#include "dx/filter/sample_conversion.h"

#include "pcm16_stereo_kernels.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>

#include "pcm16_kernel_template.h"
#endif

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

#if defined(__SSE2__)
struct Sse2Lanes {
    using Floats = __m128;
    using Ints = __m128i;
    static constexpr std::size_t kWidth = 4;

    static Floats splat(float v) { return _mm_set1_ps(v); }
    static Floats add(Floats a, Floats b) { return _mm_add_ps(a, b); }
    static Floats sub(Floats a, Floats b) { return _mm_sub_ps(a, b); }
    static Floats mul(Floats a, Floats b) { return _mm_mul_ps(a, b); }
    static Floats bitAnd(Floats a, Floats b) { return _mm_and_ps(a, b); }
    static Floats bitOr(Floats a, Floats b) { return _mm_or_ps(a, b); }
    static Floats lessThan(Floats a, Floats b) { return _mm_cmplt_ps(a, b); }
    /// True for lanes that are not numbers too.
    static Floats notLessThan(Floats a, Floats b) { return _mm_cmpnlt_ps(a, b); }
    static Floats magnitude(Floats a) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), a); }
    static bool any(Floats mask) { return _mm_movemask_ps(mask) != 0; }
    static Floats toFloats(Ints v) { return _mm_cvtepi32_ps(v); }
    static Ints roundToInts(Floats v) { return _mm_cvtps_epi32(v); }
    static Floats positive(Ints v) {
        return _mm_castsi128_ps(_mm_cmpgt_epi32(v, _mm_setzero_si128()));
    }
    static Floats loadFloats(const float* p) { return _mm_loadu_ps(p); }
    static void storeFloats(float* p, Floats v) { _mm_storeu_ps(p, v); }
    static Ints loadInts(const std::uint8_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static void storeInts(std::uint8_t* p, Ints v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    }
    /// The first and second samples of stereo frames, as 32-bit integers.
    static Ints lowHalves(Ints pairs) { return _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16); }
    static Ints highHalves(Ints pairs) { return _mm_srai_epi32(pairs, 16); }
    static Ints interleaveAndPack(Ints lefts, Ints rights) {
        return _mm_packs_epi32(_mm_unpacklo_epi32(lefts, rights),
                               _mm_unpackhi_epi32(lefts, rights));
    }
};
#endif

/// The frames of whole groups a kernel converts from the start.
std::size_t deinterleavePcm16Stereo(Pcm16Kernel kernel, const std::uint8_t* source,
                                    std::size_t frames, float* left, float* right) noexcept {
    switch (kernel) {
#if defined(__SSE2__)
    case Pcm16Kernel::Sse2:
        return pcm16_kernel::deinterleave<Sse2Lanes>(source, frames, left, right);
    case Pcm16Kernel::Avx2:
        return deinterleavePcm16StereoAvx2(source, frames, left, right);
#endif
    default:
        return 0;
    }
}

std::size_t interleavePcm16Stereo(Pcm16Kernel kernel, const float* left, const float* right,
                                  std::size_t frames, std::uint8_t* target) noexcept {
    switch (kernel) {
#if defined(__SSE2__)
    case Pcm16Kernel::Sse2:
        return pcm16_kernel::interleave<Sse2Lanes>(left, right, frames, target);
    case Pcm16Kernel::Avx2:
        return interleavePcm16StereoAvx2(left, right, frames, target);
#endif
    default:
        return 0;
    }
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

bool runsPcm16Kernel(Pcm16Kernel kernel) noexcept {
    switch (kernel) {
    case Pcm16Kernel::Scalar:
        return true;
#if defined(__SSE2__)
    case Pcm16Kernel::Sse2:
        return true;
    case Pcm16Kernel::Avx2: {
        // The check includes the operating system's saving of the wide registers.
        static const bool supported = __builtin_cpu_supports("avx2");
        return supported;
    }
#endif
    default:
        return false;
    }
}

Pcm16Kernel fastestPcm16Kernel() noexcept {
    static const Pcm16Kernel fastest = runsPcm16Kernel(Pcm16Kernel::Avx2)   ? Pcm16Kernel::Avx2
                                       : runsPcm16Kernel(Pcm16Kernel::Sse2) ? Pcm16Kernel::Sse2
                                                                            : Pcm16Kernel::Scalar;
    return fastest;
}

void deinterleavePcm16(Pcm16Kernel kernel, const std::uint8_t* source, int channels,
                       std::size_t frames, float* left, float* right) noexcept {
    // The frames a vector path takes, then the rest one by one.
    const std::size_t done =
        channels == 2 ? deinterleavePcm16Stereo(kernel, source, frames, left, right) : 0;
    deinterleave<int16_t>(source + done * 2 * sizeof(int16_t), channels, frames - done, left + done,
                          right + done, pcm16ToFloat);
}

void deinterleavePcm16(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept {
    deinterleavePcm16(fastestPcm16Kernel(), source, channels, frames, left, right);
}

void deinterleaveFloat(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept {
    deinterleave<float>(source, channels, frames, left, right, unchanged);
}

void interleavePcm16(Pcm16Kernel kernel, const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    const std::size_t done = interleavePcm16Stereo(kernel, left, right, frames, target);
    interleave<int16_t>(left + done, right + done, frames - done,
                        target + done * 2 * sizeof(int16_t), floatToPcm16);
}

void interleavePcm16(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    interleavePcm16(fastestPcm16Kernel(), left, right, frames, target);
}

void interleaveFloat(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    interleave<float>(left, right, frames, target, unchanged);
}

} // namespace miral::dx
