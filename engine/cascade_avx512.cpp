// The AVX-512 kernel: eight lanes of double per register. Stereo holds four sections × two
// channels (sections s, s + P, s + 2P, s + 3P), mono up to eight sections of the one channel, so
// six sections fit two registers in stereo and one in mono. Compiled for AVX-512 here only and
// called only on processors that have it; no fused multiply-add, so every lane rounds exactly
// as the scalar recursion does.

#include "engine/cascade_kernels.h"

#if defined(__SSE2__)

#include <immintrin.h>

// Everything from here to the end of the kernel is compiled for AVX-512.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif

#include "cascade_pipeline.h"
#include "saturated_narrowing.h"

namespace miral {

namespace {

struct Avx512Lanes {
    using Vec = __m512d;
    using Frame = __m128d;
    static constexpr int kWidth = 8;
    // Register 0 waits on the last register through its upper slots: two steps of skew keep
    // that wait off the critical path.
    static constexpr int kSkew = 2;

    static Vec load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static Vec splat(double v) { return _mm512_set1_pd(v); }
    static Vec add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    static Vec sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    static Vec mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    /// `b` in the lanes whose `mask` bits are set, `a` elsewhere.
    static Vec select(Vec mask, Vec a, Vec b) {
        const __m512i bits = _mm512_castpd_si512(mask);
        return _mm512_mask_blend_pd(_mm512_test_epi64_mask(bits, bits), a, b);
    }
    static Frame silence() { return _mm_setzero_pd(); }

    /// {frame's lanes, then `last` moved up by as many}: `pick` lists the source lanes, 0..7
    /// from the frame, 8..15 from `last`.
    static Vec feedWith(Frame frame, Vec last, __m512i pick) {
        return _mm512_permutex2var_pd(_mm512_castpd128_pd512(frame), pick, last);
    }

    /// Lanes 2·pair and 2·pair + 1 of `y`, scaled and narrowed.
    template <int Pair> static __m128 narrowPair(Vec y, Vec gain) {
        const Vec scaled = _mm512_mul_pd(y, gain);
        return narrowSaturated(_mm_set_pd(scaled[2 * Pair + 1], scaled[2 * Pair]));
    }
};

/// Lanes: left and right of sections s, s + P, s + 2P, s + 3P.
struct Avx512Stereo : Avx512Lanes {
    static constexpr int kChannels = 2;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(job.inL + i), _mm_load_ss(job.inR + i)));
    }
    static Vec feed(Frame frame, Vec last) {
        return feedWith(frame, last, _mm512_set_epi64(13, 12, 11, 10, 9, 8, 1, 0));
    }
    template <int Slot> static void emit(const CascadeJob& job, int32_t i, Vec y, Vec gain) {
        const __m128 out = narrowPair<Slot>(y, gain);
        _mm_store_ss(job.outL + i, out);
        _mm_store_ss(job.outR + i, _mm_shuffle_ps(out, out, 1));
    }
};

/// Lanes: sections s, s + P, ... s + 7P of the one channel.
struct Avx512Mono : Avx512Lanes {
    static constexpr int kChannels = 1;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_load_ss(job.inL + i));
    }
    static Vec feed(Frame frame, Vec last) {
        return feedWith(frame, last, _mm512_set_epi64(14, 13, 12, 11, 10, 9, 8, 0));
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

void runCascadeAvx512(const CascadeJob& job) noexcept {
    // Sections that fit one AVX register run as fast there, at the same bits.
    if (job.count <= (job.mono ? 4 : 2)) {
        runCascadeAvx(job);
        return;
    }
    const auto flat = [](const CascadeJob& j) { runCascadeSse2(j); };
    if (job.mono)
        runPipelined<Avx512Mono>(job, flat);
    else
        runPipelined<Avx512Stereo>(job, flat);
}

} // namespace miral

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

namespace miral {

void runCascadeAvx512(const CascadeJob& job) noexcept {
    runCascadeScalar(job);
}

} // namespace miral

#endif
