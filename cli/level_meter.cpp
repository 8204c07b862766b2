#include "level_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace miral::cli {

void LevelMeter::add(const float* samples, size_t count) {
    // Independent lanes that the compiler turns into vector operations; each chunk's float sums
    // of squares go into the double total, so rounding stays far below what is shown.
    constexpr size_t kLanes = 8;
    constexpr size_t kChunk = 4096;
    for (size_t start = 0; start < count; start += kChunk) {
        const size_t n = std::min(kChunk, count - start);
        const float* chunk = samples + start;
        float peak[kLanes] = {}, sum[kLanes] = {};
        uint32_t beyond[kLanes] = {}, nonFinite[kLanes] = {};
        const auto measure = [&](size_t lane, float sample) {
            const float magnitude = std::fabs(sample);
            const bool finite = magnitude <= std::numeric_limits<float>::max(); // NaN: false
            const float value = finite ? magnitude : 0.0f;
            peak[lane] = std::max(peak[lane], value);
            sum[lane] += value * value;
            beyond[lane] += value > 1.0f;
            nonFinite[lane] += !finite;
        };
        size_t i = 0;
        for (; i + kLanes <= n; i += kLanes)
            for (size_t lane = 0; lane < kLanes; ++lane)
                measure(lane, chunk[i + lane]);
        for (; i < n; ++i)
            measure(0, chunk[i]);
        count_ += n;
        for (size_t lane = 0; lane < kLanes; ++lane) {
            peak_ = std::max(peak_, static_cast<double>(peak[lane]));
            sumOfSquares_ += sum[lane];
            beyondFullScale_ += beyond[lane];
            nonFinite_ += nonFinite[lane];
            count_ -= nonFinite[lane];
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
