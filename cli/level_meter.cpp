#include "level_meter.h"

#include <cmath>
#include <cstdio>

namespace miral::cli {

void LevelMeter::add(const float* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const double magnitude = std::fabs(static_cast<double>(samples[i]));
        if (magnitude > peak_)
            peak_ = magnitude;
        if (magnitude > 1.0)
            ++beyondFullScale_;
        sumOfSquares_ += magnitude * magnitude;
    }
    count_ += count;
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
