// The level meter against a plain one-sample-at-a-time computation, over lengths that end
// anywhere in its lanes and chunks, with non-finite samples and samples beyond full scale.
#include "reporting/level_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace miral::cli {
namespace {

std::vector<float> signal(size_t count) {
    std::vector<float> samples(count);
    uint32_t state = 2024u;
    for (float& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = 2.5f * (static_cast<float>(state >> 8) / 16777216.0f - 0.5f); // ±1.25
    }
    return samples;
}

TEST(LevelMeter, AgreesWithAPlainComputationWhereverTheSamplesEnd) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    for (const size_t count : {0u, 1u, 7u, 8u, 9u, 15u, 17u, 4095u, 4096u, 4097u, 10007u}) {
        SCOPED_TRACE(count);
        std::vector<float> samples = signal(count);
        for (size_t i = 3; i < count; i += 11)
            samples[i] = i % 2 ? std::numeric_limits<float>::quiet_NaN() : (i % 3 ? kInf : -kInf);
        if (count > 0)
            samples.back() = -1.25f; // the loudest, in the last lane or the padded tail

        double peak = 0.0, sum = 0.0;
        uint64_t finite = 0, beyond = 0, nonFinite = 0;
        for (const float sample : samples) {
            if (!std::isfinite(sample)) {
                ++nonFinite;
                continue;
            }
            peak = std::max(peak, static_cast<double>(std::fabs(sample)));
            sum += static_cast<double>(sample) * sample;
            beyond += std::fabs(sample) > 1.0f;
            ++finite;
        }

        LevelMeter meter;
        meter.add(samples.data(), samples.size());
        EXPECT_EQ(meter.peak(), peak);
        EXPECT_EQ(meter.beyondFullScale(), beyond);
        EXPECT_EQ(meter.nonFinite(), nonFinite);
        const double rms = finite == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(finite));
        EXPECT_NEAR(meter.rms(), rms, 1e-6 * rms);
    }
}

TEST(LevelMeter, SumsOverSeveralCalls) {
    const std::vector<float> samples = signal(5000);
    LevelMeter whole, parts;
    whole.add(samples.data(), samples.size());
    parts.add(samples.data(), 3);
    parts.add(samples.data() + 3, samples.size() - 3);
    EXPECT_EQ(parts.peak(), whole.peak());
    EXPECT_EQ(parts.beyondFullScale(), whole.beyondFullScale());
    EXPECT_NEAR(parts.rms(), whole.rms(), 1e-6 * whole.rms());
}

} // namespace
} // namespace miral::cli
