#include "engine/inverse_laws.h"
#include "engine/laws.h"

#include <gtest/gtest.h>

#include <cmath>

namespace miral {
namespace {

// Every float x on a fine grid over 0..1 maps to a physical value and back to the same x,
// within the rounding of the narrowing to float.
template <typename Forward, typename Inverse>
void expectRoundTrip(Forward forward, Inverse inverse) {
    for (int i = 0; i <= 1000; ++i) {
        const float x = static_cast<float>(i) / 1000.0f;
        const float back = static_cast<float>(inverse(forward(x)));
        EXPECT_NEAR(back, x, 1e-6f) << "x = " << x;
    }
}

TEST(InverseLaws, RoundTripEveryContinuousLaw) {
    expectRoundTrip(normToGainDb, gainDbToNorm);
    expectRoundTrip(normToQ, qToNorm);
    expectRoundTrip(normToOutputGainDb, outputGainDbToNorm);
    for (int32_t k = 0; k < 12; ++k)
        expectRoundTrip([k](float x) { return normToFrequencyHz(x, k); },
                        [k](double hz) { return frequencyHzToNorm(hz, k); });
}

TEST(InverseLaws, LandmarksGiveTheValuesAHostExpects) {
    EXPECT_EQ(gainDbToNorm(0.0), 0.5);
    EXPECT_EQ(gainDbToNorm(-16.0), 0.0);
    EXPECT_EQ(gainDbToNorm(6.0), 0.6875);
    EXPECT_EQ(outputGainDbToNorm(0.0), 0.5); // the exact unit factor, not 12 × x − 6
    EXPECT_EQ(normToOutputFactor(static_cast<float>(outputGainDbToNorm(0.0))), 1.0);
    EXPECT_DOUBLE_EQ(outputGainDbToNorm(-6.0), 0.0);
    EXPECT_NEAR(frequencyHzToNorm(800.0, 2), 0.5, 1e-12);
    EXPECT_NEAR(frequencyHzToNorm(200.0, 6), 0.5, 1e-12);
    EXPECT_NEAR(frequencyHzToNorm(18000.0, 5), 1.0, 1e-12);
    EXPECT_NEAR(qToNorm(10.0), 1.0, 1e-12);
    EXPECT_EQ(normToEnabled(static_cast<float>(enabledToNorm(true))), 1);
    EXPECT_EQ(normToEnabled(static_cast<float>(enabledToNorm(false))), 0);
}

TEST(InverseLaws, PhysicalValuesSurviveTheNarrowingToFloat) {
    EXPECT_EQ(normToGainDb(static_cast<float>(gainDbToNorm(6.0))), 6.0);
    EXPECT_NEAR(normToFrequencyHz(static_cast<float>(frequencyHzToNorm(1000.0, 9)), 9), 1000.0,
                1000.0 * 1e-6);
    EXPECT_NEAR(normToQ(static_cast<float>(qToNorm(2.0))), 2.0, 2.0 * 1e-6);
}

TEST(InverseLaws, ValuesOutsideTheRangesMapOutsideZeroToOne) {
    EXPECT_GT(gainDbToNorm(20.0), 1.0);
    EXPECT_LT(frequencyHzToNorm(10.0, 0), 0.0);
    EXPECT_GT(frequencyHzToNorm(17000.0, 3), 1.0);
    EXPECT_LT(qToNorm(0.5), 0.0);
    EXPECT_GT(outputGainDbToNorm(7.0), 1.0);
    EXPECT_TRUE(std::isnan(frequencyHzToNorm(-5.0, 1)));
}

} // namespace
} // namespace miral
