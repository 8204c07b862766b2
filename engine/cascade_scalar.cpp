#include "engine/cascade_kernels.h"

#include "saturated_narrowing.h"

#include <algorithm>

namespace miral {

namespace {

// Frames per pass of the portable kernel: two channels of doubles on the stack. A multiple of
// kMovingSubBlockFrames, so that passes begin with sub-blocks.
constexpr int32_t kChunkFrames = 256;
static_assert(kChunkFrames % kMovingSubBlockFrames == 0);

/// runBand's recursion with coefficients that follow `moves`, one entry per sub-block.
void runMovingBand(const MovingCoefficients* moves, BiquadState& state, double* buffer,
                   int32_t frames) noexcept {
    double w1 = state.w1;
    double w2 = state.w2;
    BiquadCoefficients c;
    for (int32_t i = 0; i < frames; ++i) {
        const MovingCoefficients& move = moves[i / kMovingSubBlockFrames];
        if (i % kMovingSubBlockFrames == 0)
            c = move.start;
        c = movedBy(c, move.step);
        buffer[i] = biquadStep(c, buffer[i], w1, w2);
    }
    state.w1 = w1;
    state.w2 = w2;
}

/// Section `section` over frames done .. done + frames − 1 of the job.
void runSection(const CascadeJob& job, int32_t section, int32_t done, BiquadState& state,
                double* buffer, int32_t frames) noexcept {
    if (job.motion != nullptr && job.motion->steady[size_t(section)]) {
        const MovingCoefficients& first = job.motion->sections[size_t(section)][0];
        runBand(movedBy(first.start, first.step), state, buffer, frames);
    } else if (job.motion != nullptr) {
        runMovingBand(job.motion->sections[size_t(section)].data() + done / kMovingSubBlockFrames,
                      state, buffer, frames);
    } else {
        runBand(job.sections[size_t(section)], state, buffer, frames);
    }
}

/// `from` scaled by the output factor, which grows by `gainStep` before every frame; returns
/// the last factor.
double scaleAndNarrow(const double* from, double gain, double gainStep, float* to, int32_t n) {
    if (gainStep == 0.0) {
        for (int32_t i = 0; i < n; ++i)
            to[i] = narrowSaturated(from[i] * gain);
        return gain;
    }
    for (int32_t i = 0; i < n; ++i) {
        gain += gainStep;
        to[i] = narrowSaturated(from[i] * gain);
    }
    return gain;
}

} // namespace

void runCascadeScalar(const CascadeJob& job) noexcept {
    double left[kChunkFrames];
    double right[kChunkFrames];
    const double gainStep = job.motion != nullptr ? job.motion->outputGainStep : 0.0;
    double gain = job.outputGain;
    for (int32_t done = 0; done < job.frames; done += kChunkFrames) {
        const int32_t n = std::min(kChunkFrames, job.frames - done);
        // Every input sample is read before any output is written, so outputs may alias inputs.
        for (int32_t i = 0; i < n; ++i)
            left[i] = job.inL[done + i];
        if (!job.mono)
            for (int32_t i = 0; i < n; ++i)
                right[i] = job.inR[done + i];

        for (int32_t s = 0; s < job.count; ++s)
            runSection(job, s, done, *job.left[size_t(s)], left, n);
        if (!job.mono)
            for (int32_t s = 0; s < job.count; ++s)
                runSection(job, s, done, *job.right[size_t(s)], right, n);

        float* outL = job.outL + done;
        float* outR = job.outR + done;
        const double lastGain = scaleAndNarrow(left, gain, gainStep, outL, n);
        if (job.mono)
            for (int32_t i = 0; i < n; ++i)
                outR[i] = outL[i];
        else
            scaleAndNarrow(right, gain, gainStep, outR, n);
        gain = lastGain;
    }
}

} // namespace miral
