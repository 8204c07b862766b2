#include "reporting/level_meter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace miral::cli {

namespace {

// Four samples at a time in the compiler's vector types: one SSE register.
constexpr size_t kLanes = 4;
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
        const auto level = std::bit_cast<FloatLanes>(value);
        sum += level * level;
        beyond -= value > kFullScaleBits;
        nonFinite += finite + 1;
    }
};

} // namespace

void LevelMeter::add(const float* samples, size_t count) {
    // Each chunk's float sums of squares go into the double total, so rounding stays far below
    // what is shown. Two sets of lanes take turns, so that one's additions need not wait for the
    // other's.
    constexpr size_t kChunk = 4096;
    for (size_t start = 0; start < count; start += kChunk) {
        const size_t n = std::min(kChunk, count - start);
        const float* chunk = samples + start;
        ChunkLevels levels[2];
        size_t i = 0;
        for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
            BitLanes bits[2];
            std::memcpy(bits, chunk + i, sizeof bits);
            levels[0].add(bits[0]);
            levels[1].add(bits[1]);
        }
        for (; i < n; i += kLanes) {
            // The last few samples, padded with silence, which changes no level or count.
            BitLanes bits{};
            std::memcpy(&bits, chunk + i, std::min(kLanes, n - i) * sizeof(float));
            levels[0].add(bits);
        }
        count_ += n;
        for (const ChunkLevels& set : levels)
            for (size_t lane = 0; lane < kLanes; ++lane) {
                peak_ = std::max(peak_, static_cast<double>(std::bit_cast<float>(set.peak[lane])));
                sumOfSquares_ += set.sum[lane];
                beyondFullScale_ += static_cast<uint32_t>(set.beyond[lane]);
                nonFinite_ += static_cast<uint32_t>(set.nonFinite[lane]);
                count_ -= static_cast<uint32_t>(set.nonFinite[lane]);
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
