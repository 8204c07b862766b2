// The SSE2 kernel: two lanes of double per register. Stereo keeps the left and right section of
// a band in one register; mono packs two sections per register.

#include "engine/cascade_kernels.h"

#if defined(__SSE2__)

#include "cascade_pipeline.h"
#include "saturated_narrowing.h"

#include <emmintrin.h>

namespace miral {

namespace {

struct Sse2Lanes {
    using Vec = __m128d;
    using Frame = __m128d;
    static constexpr int kWidth = 2;

    static Vec load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm_storeu_pd(p, v); }
    static Vec splat(double v) { return _mm_set1_pd(v); }
    static Vec add(Vec a, Vec b) { return _mm_add_pd(a, b); }
    static Vec sub(Vec a, Vec b) { return _mm_sub_pd(a, b); }
    static Vec mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }
    /// `b` in the lanes whose `mask` bits are set, `a` elsewhere.
    static Vec select(Vec mask, Vec a, Vec b) {
        return _mm_or_pd(_mm_and_pd(mask, b), _mm_andnot_pd(mask, a));
    }
    static Frame silence() { return _mm_setzero_pd(); }
};

/// Lanes: left, right of one section. Nothing crosses lanes, so one step of skew suffices.
struct Sse2Stereo : Sse2Lanes {
    static constexpr int kChannels = 2;
    static constexpr int kSkew = 1;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(job.inL + i), _mm_load_ss(job.inR + i)));
    }
    static Vec feed(Frame frame, Vec) { return frame; }
    template <int Slot> static void emit(const CascadeJob& job, int32_t i, Vec y, Vec gain) {
        const __m128 out = narrowSaturated(_mm_mul_pd(y, gain));
        _mm_store_ss(job.outL + i, out);
        _mm_store_ss(job.outR + i, _mm_shuffle_ps(out, out, 1));
    }
};

/// Lanes: sections s and s + P of the one channel. Two steps of skew keep the register that
/// feeds slot 1 of register 0 from holding up the next step.
struct Sse2Mono : Sse2Lanes {
    static constexpr int kChannels = 1;
    static constexpr int kSkew = 2;

    static Frame readFrame(const CascadeJob& job, int32_t i) {
        return _mm_cvtps_pd(_mm_load_ss(job.inL + i));
    }
    static Vec feed(Frame frame, Vec last) { return _mm_unpacklo_pd(frame, last); }
    template <int Slot> static void emit(const CascadeJob& job, int32_t i, Vec y, Vec gain) {
        __m128 out = narrowSaturated(_mm_mul_pd(y, gain));
        if constexpr (Slot == 1)
            out = _mm_shuffle_ps(out, out, 1);
        _mm_store_ss(job.outL + i, out);
        _mm_store_ss(job.outR + i, out);
    }
};

float scaled(float x, double gain) {
    return narrowSaturated(x * gain);
}

/// Four samples widened, scaled and narrowed.
__m128 scaled4(const float* in, __m128d gain) {
    const __m128 x = _mm_loadu_ps(in);
    const __m128 low = narrowSaturated(_mm_mul_pd(_mm_cvtps_pd(x), gain));
    const __m128 high = narrowSaturated(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), gain));
    return _mm_movelh_ps(low, high);
}

/// No section runs: only the output factor applies.
void flat(const CascadeJob& job) {
    const __m128d gain = _mm_set1_pd(job.outputGain);
    const int32_t frames = job.frames;
    int32_t i = 0;
    if (job.mono) {
        for (; i + 4 <= frames; i += 4) {
            const __m128 out = scaled4(job.inL + i, gain);
            _mm_storeu_ps(job.outL + i, out);
            _mm_storeu_ps(job.outR + i, out);
        }
        for (; i < frames; ++i)
            job.outL[i] = job.outR[i] = scaled(job.inL[i], job.outputGain);
        return;
    }
    // Both channels of a group are read before either is written: outputs may alias inputs.
    for (; i + 4 <= frames; i += 4) {
        const __m128 left = scaled4(job.inL + i, gain);
        const __m128 right = scaled4(job.inR + i, gain);
        _mm_storeu_ps(job.outL + i, left);
        _mm_storeu_ps(job.outR + i, right);
    }
    for (; i < frames; ++i) {
        const float left = scaled(job.inL[i], job.outputGain);
        const float right = scaled(job.inR[i], job.outputGain);
        job.outL[i] = left;
        job.outR[i] = right;
    }
}

} // namespace

void runCascadeSse2(const CascadeJob& job) noexcept {
    if (job.mono)
        runPipelined<Sse2Mono>(job, flat);
    else
        runPipelined<Sse2Stereo>(job, flat);
}

} // namespace miral

#else

namespace miral {

void runCascadeSse2(const CascadeJob& job) noexcept {
    runCascadeScalar(job);
}

} // namespace miral

#endif
