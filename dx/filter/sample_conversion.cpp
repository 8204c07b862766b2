#include "dx/filter/sample_conversion.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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
// Four stereo frames at a time, with the scalar conversions' arithmetic in double precision
// lane by lane, so every output bit is theirs: the conversion costs a fraction of the equaliser
// instead of most of it.

/// The positive or negative scale for each lane, by the lane's sign (not a number: negative).
inline __m128d bySign(__m128d value, double positive, double negative) noexcept {
    const __m128d nonNegative = _mm_cmpge_pd(value, _mm_setzero_pd());
    return _mm_or_pd(_mm_and_pd(nonNegative, _mm_set1_pd(positive)),
                     _mm_andnot_pd(nonNegative, _mm_set1_pd(negative)));
}

/// pcm16ToFloat of four 32-bit integers.
inline __m128 toFloat(__m128i samples) noexcept {
    const __m128d low = _mm_cvtepi32_pd(samples);
    const __m128d high = _mm_cvtepi32_pd(_mm_shuffle_epi32(samples, _MM_SHUFFLE(1, 0, 3, 2)));
    const __m128 lowFloats =
        _mm_cvtpd_ps(_mm_mul_pd(low, bySign(low, kPositiveStep, kNegativeStep)));
    const __m128 highFloats =
        _mm_cvtpd_ps(_mm_mul_pd(high, bySign(high, kPositiveStep, kNegativeStep)));
    return _mm_movelh_ps(lowFloats, highFloats);
}

/// floatToPcm16 of two values, as 32-bit integers in the low lanes.
inline __m128i toPcm16(__m128d value) noexcept {
    // Not a number becomes +0, which gives 0 as it must.
    value = _mm_and_pd(value, _mm_cmpord_pd(value, value));
    // 1 where the value is at least 0: the scale 32768 - 1 and the rounding 1 - 0.5 there,
    // 32768 and -0.5 below.
    const __m128d nonNegative = _mm_and_pd(_mm_cmpge_pd(value, _mm_setzero_pd()), _mm_set1_pd(1.0));
    const __m128d scale = _mm_sub_pd(_mm_set1_pd(kNegativeFullScale), nonNegative);
    const __m128d rounding = _mm_sub_pd(nonNegative, _mm_set1_pd(kRounding));
    const __m128d scaled = _mm_add_pd(_mm_mul_pd(value, scale), rounding);
    const __m128d limited = _mm_min_pd(_mm_max_pd(scaled, _mm_set1_pd(-kNegativeFullScale)),
                                       _mm_set1_pd(kPositiveFullScale));
    return _mm_cvttpd_epi32(limited);
}

/// floatToPcm16 of four floats, as 32-bit integers.
inline __m128i toPcm16(__m128 values) noexcept {
    const __m128i low = toPcm16(_mm_cvtps_pd(values));
    const __m128i high = toPcm16(_mm_cvtps_pd(_mm_movehl_ps(values, values)));
    return _mm_unpacklo_epi64(low, high);
}

std::size_t deinterleavePcm16Stereo(const std::uint8_t* source, std::size_t frames, float* left,
                                    float* right) noexcept {
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128i pairs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        const __m128i lefts = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16);
        const __m128i rights = _mm_srai_epi32(pairs, 16);
        _mm_storeu_ps(left + i, toFloat(lefts));
        _mm_storeu_ps(right + i, toFloat(rights));
    }
    return i;
}

std::size_t interleavePcm16Stereo(const float* left, const float* right, std::size_t frames,
                                  std::uint8_t* target) noexcept {
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const __m128i lefts = toPcm16(_mm_loadu_ps(left + i));
        const __m128i rights = toPcm16(_mm_loadu_ps(right + i));
        // In range already, so the saturating pack only narrows.
        const __m128i pairs =
            _mm_packs_epi32(_mm_unpacklo_epi32(lefts, rights), _mm_unpackhi_epi32(lefts, rights));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * i), pairs);
    }
    return i;
}
#else
std::size_t deinterleavePcm16Stereo(const std::uint8_t*, std::size_t, float*, float*) noexcept {
    return 0;
}

std::size_t interleavePcm16Stereo(const float*, const float*, std::size_t, std::uint8_t*) noexcept {
    return 0;
}
#endif

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
    // The frames a vector path takes, then the rest one by one.
    const std::size_t done =
        channels == 2 ? deinterleavePcm16Stereo(source, frames, left, right) : 0;
    deinterleave<int16_t>(source + done * 2 * sizeof(int16_t), channels, frames - done, left + done,
                          right + done, pcm16ToFloat);
}

void deinterleaveFloat(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept {
    deinterleave<float>(source, channels, frames, left, right, unchanged);
}

void interleavePcm16(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    const std::size_t done = interleavePcm16Stereo(left, right, frames, target);
    interleave<int16_t>(left + done, right + done, frames - done,
                        target + done * 2 * sizeof(int16_t), floatToPcm16);
}

void interleaveFloat(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept {
    interleave<float>(left, right, frames, target, unchanged);
}

} // namespace miral::dx
