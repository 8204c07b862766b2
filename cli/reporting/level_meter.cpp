#include "reporting/level_meter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace miral::cli {

namespace {

// Eight samples at a time in the compiler's vector types: two SSE registers, or one AVX2
// register where the processor has it. Lanes 0..3 and 4..7 take turns on groups of four
// samples, so that one half's additions need not wait for the other's.
constexpr size_t kLanes = 8;
constexpr size_t kGroup = 4;
using FloatLanes = float __attribute__((vector_size(kLanes * sizeof(float))));
using BitLanes = int32_t __attribute__((vector_size(kLanes * sizeof(int32_t))));

// Magnitudes are compared as bit patterns, which order non-negative floats as their values and
// put NaN and infinity above every finite pattern.
constexpr int32_t kMaxFiniteBits = std::bit_cast<int32_t>(std::numeric_limits<float>::max());
constexpr int32_t kFullScaleBits = std::bit_cast<int32_t>(1.0f);

/// What one chunk of samples adds to a meter: per lane, the peak's bit pattern, the sum of
/// squares, and the counts of samples beyond full scale and of non-finite ones.
struct ChunkLevels {
    BitLanes peak{};
    FloatLanes sum{};
    BitLanes beyond{};
    BitLanes nonFinite{};

    void add(const BitLanes& bits) {
        const BitLanes magnitude = bits & 0x7fffffff;
        const BitLanes finite = magnitude <= kMaxFiniteBits; // -1 or 0 per lane
        const BitLanes value = magnitude & finite;           // non-finite samples count as 0
        peak = value > peak ? value : peak;
        const auto level = __builtin_bit_cast(FloatLanes, value); // no call: AVX-safe
        sum += level * level;
        beyond -= value > kFullScaleBits;
        nonFinite += finite + 1;
    }
};

// The clones' resolver runs while the dynamic linker relocates the program, before the thread
// sanitizer's runtime is set up; GCC instruments it all the same, so the instrumented build
// crashes on its first relocation. That build runs the plain version.
#if defined(__x86_64__) && defined(__linux__) && !defined(__SANITIZE_THREAD__)
#define MIRAL_WIDEST_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define MIRAL_WIDEST_VECTORS
#endif

/// Adds the levels of `n` samples to `levels`. The last few go, padded with silence (which
/// changes no level or count), into lanes 0..3 alone.
MIRAL_WIDEST_VECTORS void addChunk(const float* chunk, size_t n, ChunkLevels& levels) {
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        BitLanes bits;
        std::memcpy(&bits, chunk + i, sizeof bits);
        levels.add(bits);
    }
    for (; i < n; i += kGroup) {
        BitLanes bits{};
        std::memcpy(&bits, chunk + i, std::min(kGroup, n - i) * sizeof(float));
        levels.add(bits);
    }
}

} // namespace

void LevelMeter::add(const float* samples, size_t count) {
    // Each chunk's float sums of squares go into the double total, so rounding stays far below
    // what is shown.
    constexpr size_t kChunk = 4096;
    for (size_t start = 0; start < count; start += kChunk) {
        const size_t n = std::min(kChunk, count - start);
        ChunkLevels levels;
        addChunk(samples + start, n, levels);
        count_ += n;
        for (size_t lane = 0; lane < kLanes; ++lane) {
            peak_ = std::max(peak_, static_cast<double>(std::bit_cast<float>(levels.peak[lane])));
            sumOfSquares_ += levels.sum[lane];
            beyondFullScale_ += static_cast<uint32_t>(levels.beyond[lane]);
            nonFinite_ += static_cast<uint32_t>(levels.nonFinite[lane]);
            count_ -= static_cast<uint32_t>(levels.nonFinite[lane]);
        }
    }
}

double LevelMeter::rms() const {
    return count_ == 0 ? 0.0 : std::sqrt(sumOfSquares_ / static_cast<double>(count_));
}

std::string formatDbfs(double level) {
    if (level <= 0.0)
        return "-inf dBFS";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(level));
    return text;
}

} // namespace miral::cli
