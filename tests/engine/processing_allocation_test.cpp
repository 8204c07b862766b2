// Processing allocates nothing: this test program replaces the global allocation functions with
// counting ones and watches every kernel, block length and channel layout.

#include "engine/cascade_kernels.h"
#include "engine/eq_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<long> allocations{0};

void* countedAllocation(std::size_t bytes, std::size_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t size = bytes == 0 ? 1 : bytes;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

} // namespace

void* operator new(std::size_t bytes) {
    return countedAllocation(bytes, 0);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
    return countedAllocation(bytes, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace miral {
namespace {

TEST(ProcessingAllocation, NoKernelAllocatesForAnyBlockOrLayout) {
    const int32_t longest = 5000;
    std::vector<float> a(longest, 0.25f), b(longest, -0.5f), c(longest), d(longest);
    for (CascadeKernel kernel : {CascadeKernel::Scalar, CascadeKernel::Sse2, CascadeKernel::Avx}) {
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
                    const long before = allocations.load();
                    engine.processReplacing(in, out, frames);
                    EXPECT_EQ(allocations.load(), before)
                        << activeBands << " bands, " << frames << " frames, mono " << mono;
                }
        }
    }
    // The counter does count: the test would see an allocation made during processing.
    const long before = allocations.load();
    delete new int(3);
    EXPECT_EQ(allocations.load(), before + 1);
}

} // namespace
} // namespace miral
