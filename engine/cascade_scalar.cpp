#include "engine/cascade_kernels.h"

#include "saturated_narrowing.h"

#include <algorithm>

namespace miral {

namespace {

// Frames per pass of the portable kernel: two channels of doubles on the stack.
constexpr int32_t kChunkFrames = 256;

} // namespace

void runCascadeScalar(const CascadeJob& job) noexcept {
    double left[kChunkFrames];
    double right[kChunkFrames];
    for (int32_t done = 0; done < job.frames; done += kChunkFrames) {
        const int32_t n = std::min(kChunkFrames, job.frames - done);
        // Every input sample is read before any output is written, so outputs may alias inputs.
        for (int32_t i = 0; i < n; ++i)
            left[i] = job.inL[done + i];
        if (!job.mono)
            for (int32_t i = 0; i < n; ++i)
                right[i] = job.inR[done + i];

        for (int32_t s = 0; s < job.count; ++s)
            runBand(job.sections[size_t(s)], *job.left[size_t(s)], left, n);
        if (!job.mono)
            for (int32_t s = 0; s < job.count; ++s)
                runBand(job.sections[size_t(s)], *job.right[size_t(s)], right, n);

        float* outL = job.outL + done;
        float* outR = job.outR + done;
        for (int32_t i = 0; i < n; ++i)
            outL[i] = narrowSaturated(left[i] * job.outputGain);
        if (job.mono)
            for (int32_t i = 0; i < n; ++i)
                outR[i] = outL[i];
        else
            for (int32_t i = 0; i < n; ++i)
                outR[i] = narrowSaturated(right[i] * job.outputGain);
    }
}

} // namespace miral
