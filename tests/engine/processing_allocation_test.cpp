// Processing allocates nothing: this test program counts every allocation and watches every
// kernel, block length and channel layout.

#include "engine/cascade_kernels.h"
#include "engine/eq_engine.h"
#include "test_support/counted_allocations.h"

#include <gtest/gtest.h>

#include <vector>

namespace miral {
namespace {

TEST(ProcessingAllocation, NoKernelAllocatesForAnyBlockOrLayout) {
    const int32_t longest = 5000;
    std::vector<float> a(longest, 0.25f), b(longest, -0.5f), c(longest), d(longest);
    for (CascadeKernel kernel :
         {CascadeKernel::Scalar, CascadeKernel::Sse2, CascadeKernel::Avx, CascadeKernel::Avx512}) {
        EqEngine engine;
        if (!engine.useKernel(kernel))
            continue;
        engine.setSampleRate(44100.0f);
        engine.setBlockSize(64); // blocks longer than announced must not allocate either
        for (int activeBands = 0; activeBands <= kNumBands; ++activeBands) {
            if (activeBands > 0)
                engine.setParameter(4 * (activeBands - 1), 0.8f);
            for (const bool mono : {false, true})
                for (int32_t frames : {1, 3, 64, 513, longest}) {
                    const float* in[2] = {a.data(), mono ? a.data() : b.data()};
                    float* out[2] = {c.data(), d.data()};
                    const long before = testing::allocationCount();
                    engine.processReplacing(in, out, frames);
                    EXPECT_EQ(testing::allocationCount(), before)
                        << activeBands << " bands, " << frames << " frames, mono " << mono;
                }
        }
    }
}

TEST(ProcessingAllocation, GlidesAllocateNothing) {
    const int32_t longest = 5000;
    std::vector<float> a(longest, 0.25f), b(longest, -0.5f), c(longest), d(longest);
    EqEngine engine;
    engine.setSmoothingTime(kDefaultSmoothingSeconds);
    engine.setSampleRate(44100.0f);
    engine.resume();
    const float values[2] = {0.2f, 0.9f};
    int which = 0;
    for (const bool mono : {false, true})
        for (int32_t frames : {1, 3, 64, 513, longest})
            for (int32_t index : {0, 5, 10, 15, 19, 24, 25}) {
                // Gains, frequencies, Qs, a switch, the gain range, the output gain.
                engine.setParameter(index, values[which ^= 1]);
                engine.setSolo(which != 0 ? index % kNumBands : -1); // solos fade in and out
                const float* in[2] = {a.data(), mono ? a.data() : b.data()};
                float* out[2] = {c.data(), d.data()};
                const long before = testing::allocationCount();
                engine.processReplacing(in, out, frames);
                EXPECT_EQ(testing::allocationCount(), before)
                    << "parameter " << index << ", " << frames << " frames, mono " << mono;
            }
}

TEST(ProcessingAllocation, TheCounterCounts) {
    // The counter does count: the test would see an allocation made during processing.
    const long before = testing::allocationCount();
    // A direct call of the allocation function: unlike a new-expression, no compiler may omit it.
    ::operator delete(::operator new(sizeof(int)));
    EXPECT_EQ(testing::allocationCount(), before + 1);
}

} // namespace
} // namespace miral
