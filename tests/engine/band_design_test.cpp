#include "engine/band_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace miral {
namespace {

constexpr double kRate = 44100.0;
constexpr double kNyquist = kRate / 2;
constexpr double kCornerOffsetDb = 1.303; // shelf response at the corner, |G| >= 4 dB

double peakBandwidth(double centreHz, double q) {
    return centreHz * (1 / q);
}

TEST(LowShelf, SixDbBoostAt200Hz) {
    const auto c = designLowShelf(6.0, 200.0, kRate);
    EXPECT_EQ(c.b2, 0.0);
    EXPECT_EQ(c.a2, 0.0);
    EXPECT_NEAR(magnitudeDb(c, 0.0, kRate), 6.0, 1e-9);
    EXPECT_NEAR(magnitudeDb(c, 200.0, kRate), kCornerOffsetDb, 5e-4);
    EXPECT_NEAR(magnitudeDb(c, 1000.0, kRate), 0.06, 0.02);
    EXPECT_NEAR(magnitudeDb(c, kNyquist, kRate), 0.0, 0.01);
}

TEST(LowShelf, SmallGainsKeepTheFourDbPole) {
    const auto two = designLowShelf(2.0, 200.0, kRate);
    EXPECT_NEAR(magnitudeDb(two, 0.0, kRate), 2.0, 1e-9);
    EXPECT_NEAR(magnitudeDb(two, 200.0, kRate), 0.752, 5e-4);
    // A cut keeps the pole of the 4 dB cut; a boost, its inverse, keeps the zero.
    EXPECT_EQ(designLowShelf(-2.0, 200.0, kRate).a1, designLowShelf(-4.0, 200.0, kRate).a1);
    EXPECT_EQ(two.b1 / two.b0,
              designLowShelf(4.0, 200.0, kRate).b1 / designLowShelf(4.0, 200.0, kRate).b0);
    EXPECT_NEAR(magnitudeDb(designLowShelf(1.0, 200.0, kRate), 200.0, kRate), 0.403, 5e-4);
}

TEST(HighShelf, SixDbBoostAt3000Hz) {
    const auto c = designHighShelf(6.0, 3000.0, kRate);
    EXPECT_NEAR(magnitudeDb(c, kNyquist, kRate), 6.0, 1e-9);
    EXPECT_NEAR(magnitudeDb(c, 3000.0, kRate), kCornerOffsetDb, 5e-4);
    EXPECT_NEAR(magnitudeDb(c, 10000.0, kRate), 4.80, 0.01);
    EXPECT_NEAR(magnitudeDb(c, 0.0, kRate), 0.0, 0.01);
}

TEST(ShelfCorner, SitsAtTheSameOffsetForEveryCornerAndRate) {
    for (double rate : {44100.0, 48000.0, 96000.0})
        for (double corner : {20.0, 200.0, 2000.0}) {
            EXPECT_NEAR(magnitudeDb(designLowShelf(-10.0, corner, rate), corner, rate),
                        -kCornerOffsetDb, 5e-4);
            EXPECT_NEAR(magnitudeDb(designHighShelf(10.0, corner * 9, rate), corner * 9, rate),
                        kCornerOffsetDb, 5e-4);
        }
}

struct PeakCase {
    double gainDb, centreHz, q;
};

TEST(Peak, ExactGainAtTheCentreWhichIsTheMaximum) {
    const PeakCase cases[] = {{6, 1000, 3.16}, {6, 16000, 1},  {12, 8000, 2},
                              {16, 40, 10},    {1, 800, 3.16}, {-9, 5000, 4}};
    for (const auto& p : cases) {
        const auto c = designPeak(p.gainDb, p.centreHz, peakBandwidth(p.centreHz, p.q), kRate);
        EXPECT_NEAR(magnitudeDb(c, p.centreHz, kRate), p.gainDb, 1e-9) << p.centreHz;
        for (double f = 10; f < kNyquist; f *= 1.01)
            EXPECT_LE(std::fabs(magnitudeDb(c, f, kRate)), std::fabs(p.gainDb) + 1e-9) << f;
    }
}

TEST(Peak, PrescribedGainsAtTheEdgesOfTheSpectrum) {
    const auto mid = designPeak(6, 1000, 1000 / 3.16, kRate);
    EXPECT_NEAR(magnitudeDb(mid, 0.0, kRate), 0.0, 1e-9);
    const auto high = designPeak(6, 16000, 16000, kRate);
    EXPECT_NEAR(magnitudeDb(high, kNyquist, kRate), 4.17, 0.01);
}

TEST(CutsAndBoosts, ACutIsTheExactReciprocalOfTheBoost) {
    for (double gain : {0.5, 2.0, 4.0, 6.0, 12.0, 16.0}) {
        const auto lowBoost = designLowShelf(gain, 150, kRate);
        const auto lowCut = designLowShelf(-gain, 150, kRate);
        const auto highBoost = designHighShelf(gain, 7000, kRate);
        const auto highCut = designHighShelf(-gain, 7000, kRate);
        const auto peakBoost = designPeak(gain, 2500, 2500 / 1.7, kRate);
        const auto peakCut = designPeak(-gain, 2500, 2500 / 1.7, kRate);
        for (double f = 5; f < kNyquist; f *= 1.1) {
            EXPECT_NEAR(magnitudeDb(lowBoost, f, kRate) + magnitudeDb(lowCut, f, kRate), 0, 1e-9);
            EXPECT_NEAR(magnitudeDb(highBoost, f, kRate) + magnitudeDb(highCut, f, kRate), 0, 1e-9);
            EXPECT_NEAR(magnitudeDb(peakBoost, f, kRate) + magnitudeDb(peakCut, f, kRate), 0, 1e-9);
        }
    }
}

TEST(Designs, AreStableAcrossTheParameterRanges) {
    for (double rate : {44100.0, 48000.0, 192000.0})
        for (double gain = -16; gain <= 16; gain += 0.5) {
            if (gain == 0)
                continue;
            for (double f = 20; f <= 2000; f *= 1.5)
                EXPECT_TRUE(isFiniteAndStable(designLowShelf(gain, f, rate)));
            for (double f = 500; f <= 18000; f *= 1.4)
                EXPECT_TRUE(isFiniteAndStable(designHighShelf(gain, f, rate)));
            for (double f = 40; f <= 16000; f *= 1.6)
                for (double q : {1.0, 3.0, 10.0})
                    EXPECT_TRUE(isFiniteAndStable(designPeak(gain, f, f / q, rate)));
        }
}

// The analytic response must be what the running recursion really does: the DFT of the impulse
// response that runBand produces matches magnitudeDb.
TEST(RunBand, ImpulseResponseMatchesThePredictedMagnitude) {
    const BiquadCoefficients designs[] = {designLowShelf(9, 300, kRate),
                                          designHighShelf(-7, 4000, kRate),
                                          designPeak(12, 2000, 2000 / 4.0, kRate)};
    for (const auto& c : designs) {
        std::vector<double> response(1 << 15, 0.0);
        response[0] = 1.0;
        BiquadState state;
        runBand(c, state, response.data(), static_cast<int32_t>(response.size()));
        for (double f : {50.0, 300.0, 2000.0, 4000.0, 15000.0}) {
            std::complex<double> sum = 0;
            const double omega = 2 * std::numbers::pi * f / kRate;
            for (size_t n = 0; n < response.size(); ++n)
                sum += response[n] * std::polar(1.0, -omega * static_cast<double>(n));
            EXPECT_NEAR(20 * std::log10(std::abs(sum)), magnitudeDb(c, f, kRate), 1e-6) << f;
        }
    }
}

TEST(RunBand, SilenceSettlesAtTheOffsetConstantInsteadOfDenormals) {
    const auto c = designPeak(6, 1000, 1000, kRate);
    BiquadState state;
    std::vector<double> silence(100000, 0.0);
    runBand(c, state, silence.data(), static_cast<int32_t>(silence.size()));
    EXPECT_NEAR(state.w1, kDenormalOffset / (1 + c.a1 + c.a2), 1e-25);
    EXPECT_TRUE(std::isnormal(silence.back()));
}

TEST(RunBand, StateCarriesAcrossSplitBlocks) {
    const auto c = designPeak(-5, 700, 300, kRate);
    std::vector<double> whole(777), split;
    for (size_t i = 0; i < whole.size(); ++i)
        whole[i] = std::sin(0.37 * static_cast<double>(i)) + 0.1 * static_cast<double>(i % 7);
    split = whole;
    BiquadState a, b;
    runBand(c, a, whole.data(), 777);
    runBand(c, b, split.data(), 300);
    runBand(c, b, split.data() + 300, 1);
    runBand(c, b, split.data() + 301, 476);
    EXPECT_EQ(whole, split);
    EXPECT_EQ(a, b);
}

} // namespace
} // namespace miral
