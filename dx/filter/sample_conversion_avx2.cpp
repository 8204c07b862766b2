// The 16-bit stereo conversions eight frames at a time. Compiled for AVX2 here only and called
// only on processors that have it.

#include "pcm16_stereo_kernels.h"

#if defined(__SSE2__)

#include <immintrin.h>

// Everything from here to the end of the kernel is compiled for AVX2.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "pcm16_kernel_template.h"

namespace miral::dx {
namespace {

struct Avx2Lanes {
    using Floats = __m256;
    using Ints = __m256i;
    static constexpr std::size_t kWidth = 8;

    static Floats splat(float v) { return _mm256_set1_ps(v); }
    static Floats add(Floats a, Floats b) { return _mm256_add_ps(a, b); }
    static Floats sub(Floats a, Floats b) { return _mm256_sub_ps(a, b); }
    static Floats mul(Floats a, Floats b) { return _mm256_mul_ps(a, b); }
    static Floats bitAnd(Floats a, Floats b) { return _mm256_and_ps(a, b); }
    static Floats bitOr(Floats a, Floats b) { return _mm256_or_ps(a, b); }
    static Floats lessThan(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    /// True for lanes that are not numbers too.
    static Floats notLessThan(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_NLT_UQ); }
    static Floats magnitude(Floats a) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a); }
    static bool any(Floats mask) { return _mm256_movemask_ps(mask) != 0; }
    static Floats toFloats(Ints v) { return _mm256_cvtepi32_ps(v); }
    static Ints roundToInts(Floats v) { return _mm256_cvtps_epi32(v); }
    static Floats positive(Ints v) {
        return _mm256_castsi256_ps(_mm256_cmpgt_epi32(v, _mm256_setzero_si256()));
    }
    static Floats loadFloats(const float* p) { return _mm256_loadu_ps(p); }
    static void storeFloats(float* p, Floats v) { _mm256_storeu_ps(p, v); }
    static Ints loadInts(const std::uint8_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static void storeInts(std::uint8_t* p, Ints v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    }
    /// The first and second samples of stereo frames, as 32-bit integers.
    static Ints lowHalves(Ints pairs) {
        return _mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16);
    }
    static Ints highHalves(Ints pairs) { return _mm256_srai_epi32(pairs, 16); }
    /// Left and right samples as frames. Unpacking and packing both work within each half of
    /// the register, so the frames come out in order.
    static Ints interleaveAndPack(Ints lefts, Ints rights) {
        return _mm256_packs_epi32(_mm256_unpacklo_epi32(lefts, rights),
                                  _mm256_unpackhi_epi32(lefts, rights));
    }
};

} // namespace

std::size_t deinterleavePcm16StereoAvx2(const std::uint8_t* source, std::size_t frames, float* left,
                                        float* right) noexcept {
    return pcm16_kernel::deinterleave<Avx2Lanes>(source, frames, left, right);
}

std::size_t interleavePcm16StereoAvx2(const float* left, const float* right, std::size_t frames,
                                      std::uint8_t* target) noexcept {
    return pcm16_kernel::interleave<Avx2Lanes>(left, right, frames, target);
}

} // namespace miral::dx

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
