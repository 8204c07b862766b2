#pragma once

// The audio path's inner loop: one block through the cascade of running sections, widening on
// the way in, scaling by the output factor and narrowing on the way out. Every kernel computes
// each sample of each section exactly as runBand does, in the same order of operations, so all
// kernels give the same output bits and the same final states; they differ only in how they
// overlap independent work (channels, and sections skewed in time).

#include "engine/biquad.h"

#include <array>
#include <cstdint>

namespace miral {

/// Most sections a cascade holds: one per band.
inline constexpr int32_t kMaxCascadeSections = 6;

enum class CascadeKernel {
    Scalar, ///< one section and one channel at a time; every processor
    Sse2,   ///< both channels in one SSE2 register, sections pipelined
    Avx,    ///< two sections × two channels in one AVX register, sections pipelined
    Avx512, ///< four sections × two channels in one AVX-512 register, sections pipelined
};

/// Frames of a sub-block of moving coefficients: a moving job sets every section's coefficients
/// afresh at each multiple of this many frames into the job.
inline constexpr int32_t kMovingSubBlockFrames = 32;
/// Most sub-blocks, and so frames, of a job whose coefficients move.
inline constexpr int32_t kMaxMovingSubBlocks = 16;
inline constexpr int32_t kMaxMovingFrames = kMaxMovingSubBlocks * kMovingSubBlockFrames;

/// One section's coefficients over one sub-block: they are `start` at the sub-block's beginning
/// and grow by `step` before every frame, its first included, so they move linearly.
struct MovingCoefficients {
    BiquadCoefficients start;
    BiquadCoefficients step;
};

/// Coefficients and output factor that move while a job runs (a glide). Every kernel adds the
/// steps in the same order as the scalar one, so all give the same bits here too.
struct CascadeMotion {
    /// [section][sub-block]
    std::array<std::array<MovingCoefficients, kMaxMovingSubBlocks>, kMaxCascadeSections> sections{};
    /// Sections that run with one set of coefficients through the job: sub-block 0's start
    /// moved once by its step, which must be zero (every kernel gets the same bits that way,
    /// whether it adds the zero step again or not).
    std::array<bool, kMaxCascadeSections> steady{};
    double outputGainStep = 0.0; ///< added to the output factor before every frame
};

/// One block's work. `sections[0..count)` run in this order; section i advances left[i] and,
/// for stereo, right[i]. Mono reads inL only, runs the left states and writes the result to
/// both outputs. Each output may be one of the inputs; buffers must not overlap otherwise.
struct CascadeJob {
    const BiquadCoefficients* sections = nullptr;
    int32_t count = 0;
    std::array<BiquadState*, kMaxCascadeSections> left{};
    std::array<BiquadState*, kMaxCascadeSections> right{};
    double outputGain = 1.0;
    bool mono = false;
    const float* inL = nullptr;
    const float* inR = nullptr;
    float* outL = nullptr;
    float* outR = nullptr;
    int32_t frames = 0;
    /// Null: every section keeps `sections` through the block. Otherwise the coefficients
    /// follow `motion` (`sections` is not read) and `frames` is at most kMaxMovingFrames.
    const CascadeMotion* motion = nullptr;
};

/// `c` moved by `step`, as the kernels move coefficients.
inline BiquadCoefficients movedBy(const BiquadCoefficients& c, const BiquadCoefficients& step) {
    return {c.b0 + step.b0, c.b1 + step.b1, c.b2 + step.b2, c.a1 + step.a1, c.a2 + step.a2};
}

/// The fastest kernel this processor runs.
CascadeKernel bestCascadeKernel();

/// Whether this build and this processor can run `kernel`.
bool isCascadeKernelAvailable(CascadeKernel kernel);

/// Runs `job` with `kernel`, which must be available. Audio thread: no allocation, no lock, no
/// system call.
void runCascade(CascadeKernel kernel, const CascadeJob& job) noexcept;

/// The kernels themselves; runCascade dispatches to them.
void runCascadeScalar(const CascadeJob& job) noexcept;
void runCascadeSse2(const CascadeJob& job) noexcept;
void runCascadeAvx(const CascadeJob& job) noexcept;
void runCascadeAvx512(const CascadeJob& job) noexcept;

} // namespace miral
