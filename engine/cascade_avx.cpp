// The AVX kernel: four lanes of double per register. Stereo holds two sections × two channels
// (sections s and s + P), mono four sections of the one channel. Compiled for AVX here only and
// called only on processors that have it; no fused multiply-add, so every lane rounds exactly
// as the scalar recursion does.

#include "engine/cascade_kernels.h"

#if defined(__SSE2__)

#include <immintrin.h>

// Everything from here to the end of the kernel is compiled for AVX.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx")
#endif

#include "cascade_pipeline.h"
#include "saturated_narrowing.h"

namespace miral {

namespace {

struct AvxLanes {
    using Vec = __m256d;
    using Frame = __m128d;
    static constexpr int kWidth = 4;
    // Register 0 waits on the last register through its upper slots: two steps of skew keep
    // that wait off the critical path.
    static constexpr int kSkew = 2;

    static Vec load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static Vec splat(double v) { return _mm256_set1_pd(v); }
    static Vec add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    static Vec sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    static Vec mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
    /// `b` in the lanes whose `mask` bits are set, `a` elsewhere.
    static Vec select(Vec mask, Vec a, Vec b) { return _mm256_blendv_pd(a, b, mask); }
    static Frame silence() { return _mm_setzero_pd(); }

    /// Lanes 2·half and 2·half + 1 of `y`, scaled and narrowed.
    template <int Half> static __m128 narrowPair(Vec y, Vec gain) {
        const Vec scaled = _mm256_mul_pd(y, gain);
        const __m128d pair =
            Half == 0 ? _mm256_castpd256_pd128(scaled) : _mm256_extractf128_pd(scaled, 1);
        return narrowSaturated(pair);
    }
};

/// Lanes: left and right of section s, left and right of section s + P.
struct AvxStereo : AvxLanes {
    static constexpr int kChannels = 2;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(job.inL + i), _mm_load_ss(job.inR + i)));
    }
    static Vec feed(Frame frame, Vec last) {
        return _mm256_insertf128_pd(_mm256_castpd128_pd256(frame), _mm256_castpd256_pd128(last), 1);
    }
    template <int Slot> static void emit(const CascadeJob& job, int32_t i, Vec y, Vec gain) {
        const __m128 out = narrowPair<Slot>(y, gain);
        _mm_store_ss(job.outL + i, out);
        _mm_store_ss(job.outR + i, _mm_shuffle_ps(out, out, 1));
    }
};

/// Lanes: sections s, s + P, s + 2P, s + 3P of the one channel.
struct AvxMono : AvxLanes {
    static constexpr int kChannels = 1;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_load_ss(job.inL + i));
    }
    static Vec feed(Frame frame, Vec last) {
        // {frame, last[0], last[1], last[2]}
        const Vec low = _mm256_permute2f128_pd(_mm256_castpd128_pd256(frame), last, 0x20);
        return _mm256_shuffle_pd(low, last, 0b0100);
    }
    template <int Slot> static void emit(const CascadeJob& job, int32_t i, Vec y, Vec gain) {
        __m128 out = narrowPair<Slot / 2>(y, gain);
        if constexpr (Slot % 2 == 1)
            out = _mm_shuffle_ps(out, out, 1);
        _mm_store_ss(job.outL + i, out);
        _mm_store_ss(job.outR + i, out);
    }
};

} // namespace

void runCascadeAvx(const CascadeJob& job) noexcept {
    // No section: the SSE2 kernel's scaling loop is as fast.
    const auto flat = [](const CascadeJob& j) { runCascadeSse2(j); };
    if (job.mono)
        runPipelined<AvxMono>(job, flat);
    else
        runPipelined<AvxStereo>(job, flat);
}

} // namespace miral

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace miral {

void runCascadeAvx(const CascadeJob& job) noexcept {
    runCascadeScalar(job);
}

} // namespace miral

#endif
