#include "engine/eq_engine.h"

#include "engine/band_design.h"
#include "engine/laws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace miral {
namespace {

std::vector<float> noise(size_t frames, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    std::vector<float> samples(frames);
    for (auto& s : samples)
        s = distribution(generator);
    return samples;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine.setSampleRate(44100.0f);
        engine.setBlockSize(512);
        engine.resume();
    }

    // Processes stereo (or mono when `right` is null) out of place; returns {left, right}.
    std::pair<std::vector<float>, std::vector<float>> run(const std::vector<float>& left,
                                                          const std::vector<float>* right) {
        std::vector<float> outL(left.size(), -7.0f), outR(left.size(), -7.0f);
        const float* in[2] = {left.data(), right ? right->data() : left.data()};
        float* out[2] = {outL.data(), outR.data()};
        engine.processReplacing(in, out, static_cast<int32_t>(left.size()));
        return {outL, outR};
    }

    EqEngine engine;
};

TEST_F(EngineTest, FlatSettingsPassTheSignalBitForBit) {
    const auto left = noise(512, 1), right = noise(512, 2);
    const auto [outL, outR] = run(left, &right);
    EXPECT_TRUE(bitIdentical(outL, left));
    EXPECT_TRUE(bitIdentical(outR, right));
}

TEST_F(EngineTest, SwitchedOffOrFlatBandsDoNotRun) {
    const auto left = noise(512, 3);
    engine.setParameter(toIndex(ParamId::Gain3), 0.8f);
    engine.setParameter(toIndex(ParamId::OnOff3), 0.49f);
    EXPECT_TRUE(bitIdentical(run(left, nullptr).first, left));
    engine.setParameter(toIndex(ParamId::OnOff3), 1.0f);
    engine.setParameter(toIndex(ParamId::Gain3), 0.5f);
    EXPECT_TRUE(bitIdentical(run(left, nullptr).first, left));
    EXPECT_EQ(engine.bandState(2), BiquadState{}); // never ran
}

TEST_F(EngineTest, MonoRunsTheLeftSectionsOnlyAndCopiesToBothOutputs) {
    engine.setParameter(toIndex(ParamId::Gain3), 0.7f);
    const auto signal = noise(256, 4);
    const auto [outL, outR] = run(signal, nullptr);
    EXPECT_TRUE(bitIdentical(outL, outR));
    EXPECT_FALSE(bitIdentical(outL, signal));
    EXPECT_NE(engine.bandState(2), BiquadState{});
    EXPECT_EQ(engine.bandState(8), BiquadState{});
}

TEST_F(EngineTest, IdenticalContentInTwoBuffersIsProcessedAsStereo) {
    engine.setParameter(toIndex(ParamId::Gain2), 0.9f);
    const auto left = noise(300, 5);
    const auto right = left;
    const auto [outL, outR] = run(left, &right);
    EXPECT_TRUE(bitIdentical(outL, outR));
    EXPECT_EQ(engine.bandState(1), engine.bandState(7));
}

TEST_F(EngineTest, ProcessesInPlace) {
    engine.setParameter(toIndex(ParamId::Gain6), 0.1f);
    engine.setParameter(toIndex(ParamId::OutputGain), 0.8f);
    const auto left = noise(512, 6), right = noise(512, 7);
    const auto expected = run(left, &right);
    engine.resume();
    auto inPlaceL = left, inPlaceR = right;
    float* buffers[2] = {inPlaceL.data(), inPlaceR.data()};
    engine.processReplacing(buffers, buffers, 512);
    EXPECT_TRUE(bitIdentical(inPlaceL, expected.first));
    EXPECT_TRUE(bitIdentical(inPlaceR, expected.second));
}

TEST_F(EngineTest, ChunkedAndOverlongBlocksGiveTheSameResultAsOneBlock) {
    engine.setParameter(toIndex(ParamId::Gain1), 0.9f);
    engine.setParameter(toIndex(ParamId::Gain4), 0.2f);
    const auto left = noise(2000, 8), right = noise(2000, 9);
    engine.setBlockSize(2000);
    const auto whole = run(left, &right);

    // A host that announced 64 frames but passes 2000 gets the same result.
    engine.setBlockSize(64);
    engine.resume();
    const auto overlong = run(left, &right);
    EXPECT_TRUE(bitIdentical(overlong.first, whole.first));
    EXPECT_TRUE(bitIdentical(overlong.second, whole.second));
}

TEST_F(EngineTest, ProcessesCorrectlyBeforeAnyBlockSize) {
    EqEngine fresh;
    fresh.setParameter(toIndex(ParamId::Gain3), 0.75f);
    engine.setParameter(toIndex(ParamId::Gain3), 0.75f);
    const auto signal = noise(3000, 10);
    std::vector<float> out(3000);
    const float* in[2] = {signal.data(), signal.data()};
    float* outs[2] = {out.data(), out.data()};
    fresh.processReplacing(in, outs, 3000);
    engine.setBlockSize(3000);
    EXPECT_TRUE(bitIdentical(out, run(signal, nullptr).first));
}

TEST_F(EngineTest, ProcessReplacesInsteadOfAdding) {
    const auto signal = noise(64, 11);
    const auto [outL, outR] = run(signal, nullptr); // outputs were prefilled with -7
    EXPECT_TRUE(bitIdentical(outL, signal));
}

TEST_F(EngineTest, RefusesRatesThatAreNotNumbers) {
    engine.setParameter(toIndex(ParamId::Gain3), 0.75f);
    const auto designed = engine.band(2).coefficients;
    for (const float rate : {std::nanf(""), INFINITY, -INFINITY}) {
        EXPECT_FALSE(engine.setSampleRate(rate));
        EXPECT_FALSE(engine.isBypassed());
        EXPECT_EQ(engine.sampleRate(), 44100.0);
        EXPECT_EQ(engine.band(2).coefficients, designed);
    }
    engine.setSampleRate(32000.0f);
    EXPECT_FALSE(engine.setSampleRate(std::nanf("")));
    EXPECT_TRUE(engine.isBypassed()) << "a refused rate leaves the bypass as it was";
}

TEST_F(EngineTest, LowSampleRateBypassesAndRecovers) {
    engine.setParameter(toIndex(ParamId::Gain3), 0.75f);
    engine.setSampleRate(32000.0f);
    EXPECT_TRUE(engine.isBypassed());

    const auto left = noise(128, 12), right = noise(128, 22);
    const auto [outL, outR] = run(left, &right);
    EXPECT_TRUE(bitIdentical(outL, left)) << "bypassed means passed through";
    EXPECT_TRUE(bitIdentical(outR, right));

    EXPECT_FALSE(engine.setParameter(toIndex(ParamId::Gain3), 0.1f)); // lost, not deferred
    EXPECT_EQ(engine.getParameter(toIndex(ParamId::Gain3)), 0.75f);
    engine.setSampleRate(32000.0f);
    EXPECT_TRUE(engine.isBypassed());

    engine.setSampleRate(48000.0f);
    EXPECT_FALSE(engine.isBypassed());
    EXPECT_EQ(engine.band(2).coefficients,
              designPeak(normToGainDb(0.75f), normToFrequencyHz(0.5f, 2),
                         normToFrequencyHz(0.5f, 2) * (1 / normToQ(0.5f)), 48000.0))
        << "redesigned for the new rate";
    engine.setSampleRate(44100.0f);
    EXPECT_FALSE(engine.isBypassed());
}

TEST_F(EngineTest, ResumeClearsStatesSoTheFirstOutputDependsOnTheInputOnly) {
    engine.setParameter(toIndex(ParamId::Gain2), 0.9f);
    run(noise(512, 13), nullptr);
    engine.resume();
    for (int32_t k = 0; k < kNumFilters; ++k)
        EXPECT_EQ(engine.bandState(k), BiquadState{});
    const std::vector<float> impulse = {0.5f};
    const auto out = run(impulse, nullptr).first;
    const auto& c = engine.band(1).coefficients;
    EXPECT_EQ(out[0], static_cast<float>(c.b0 * (0.5 + kDenormalOffset)));
}

TEST_F(EngineTest, GainRangeScalesTheDesignGainButNotTheShownGain) {
    engine.setParameter(toIndex(ParamId::Gain1), 1.0f);
    engine.setParameter(toIndex(ParamId::GainRange), 0.0f);
    EXPECT_EQ(engine.gainRange(), 0.01);
    EXPECT_EQ(engine.band(0).gainDb, 16.0);
    EXPECT_NEAR(magnitudeDb(engine.band(0).coefficients, 0, 44100), 0.16, 1e-9);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::GainRange)), 0.0f);
}

TEST_F(EngineTest, DisplayValuesAreThePhysicalQuantities) {
    engine.setParameter(toIndex(ParamId::Gain2), 0.75f);
    engine.setParameter(toIndex(ParamId::OnOff4), 0.2f);
    engine.setParameter(toIndex(ParamId::OutputGain), 0.0f);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::Gain2)), 8.0f);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::Freq6)), 3000.0f);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::OnOff4)), 0.0f);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::OnOff5)), 1.0f);
    EXPECT_EQ(engine.displayValue(toIndex(ParamId::OutputGain)), -6.0f);
    EXPECT_EQ(engine.displayValue(26), 0.0f);
}

TEST_F(EngineTest, OutOfRangeIndexStoresNothingButRedesigns) {
    EXPECT_TRUE(engine.setParameter(26, 0.9f));
    EXPECT_TRUE(engine.setParameter(-1, 0.9f));
    EXPECT_EQ(engine.getParameter(26), 0.0f);
    EXPECT_EQ(engine.getParameter(-1), 0.0f);
    for (int32_t i = 0; i < kNumParams; ++i)
        EXPECT_EQ(engine.getParameter(i), kParamTable[static_cast<size_t>(i)].defaultValue);
}

TEST_F(EngineTest, NonFiniteValuesChangeNothing) {
    engine.setParameter(toIndex(ParamId::Gain3), 0.75f);
    const auto before = engine.band(2);
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        EXPECT_FALSE(engine.setParameter(toIndex(ParamId::Gain3), bad));
        EXPECT_FALSE(engine.setParameter(toIndex(ParamId::OutputGain), bad));
    }
    EXPECT_EQ(engine.getParameter(toIndex(ParamId::Gain3)), 0.75f);
    EXPECT_EQ(engine.band(2).coefficients, before.coefficients);
    EXPECT_EQ(engine.outputGain(), 1.0);
}

TEST_F(EngineTest, ExtremeSettingsNeverProduceNonFiniteOutput) {
    engine.setParameter(toIndex(ParamId::Gain3), 0.9f);
    const auto good = engine.band(2).coefficients;
    engine.setParameter(toIndex(ParamId::Freq3), 1.3f); // ~96 kHz, above Nyquist
    EXPECT_EQ(engine.band(2).coefficients, good);
    engine.setParameter(toIndex(ParamId::Freq1), 5.0f);
    engine.setParameter(toIndex(ParamId::Gain1), 0.0f);
    engine.setParameter(toIndex(ParamId::Freq6), -40.0f);
    engine.setParameter(toIndex(ParamId::Gain6), 1.0f);
    engine.setParameter(toIndex(ParamId::OutputGain), 1e9f);
    const auto signal = noise(4096, 14);
    const auto [outL, outR] = run(signal, &signal);
    for (size_t i = 0; i < outL.size(); ++i)
        ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(outR[i])) << i;
}

TEST_F(EngineTest, BypassPassesThroughMonoAndCrossedBuffers) {
    engine.setSampleRate(22050.0f);
    const auto signal = noise(700, 23);
    const auto [monoL, monoR] = run(signal, nullptr);
    EXPECT_TRUE(bitIdentical(monoL, signal));
    EXPECT_TRUE(bitIdentical(monoR, signal));

    // Outputs crossed over the inputs: left input's buffer receives the left output and so on.
    std::vector<float> a = noise(700, 24), b = noise(700, 25);
    const auto originalA = a, originalB = b;
    const float* in[2] = {a.data(), b.data()};
    float* out[2] = {b.data(), a.data()};
    engine.processReplacing(in, out, 700);
    EXPECT_TRUE(bitIdentical(b, originalA));
    EXPECT_TRUE(bitIdentical(a, originalB));
}

TEST_F(EngineTest, NonFiniteInputSamplesDoNotPoisonLaterBlocks) {
    engine.setParameter(toIndex(ParamId::Gain1), 0.9f);
    engine.setParameter(toIndex(ParamId::Gain3), 0.2f);
    engine.setParameter(toIndex(ParamId::Gain6), 0.8f);
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        for (bool mono : {false, true}) {
            auto poisoned = noise(256, 26);
            poisoned[100] = bad;
            run(poisoned, mono ? nullptr : &poisoned);
            const auto clean = noise(256, 27);
            const auto [outL, outR] = run(clean, mono ? nullptr : &clean);
            for (size_t i = 0; i < clean.size(); ++i)
                ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(outR[i]))
                    << bad << (mono ? " mono" : " stereo") << " frame " << i;
        }
    }
}

TEST_F(EngineTest, HugeFiniteSettingsAndSamplesSaturateInsteadOfOverflowing) {
    struct Setting {
        ParamId id;
        float value;
    };
    const std::vector<std::vector<Setting>> cases = {
        {{ParamId::Gain3, 25.0f}},
        {{ParamId::Gain2, 48.0f}, {ParamId::Gain4, 48.0f}, {ParamId::Gain5, 48.0f}},
        {{ParamId::Gain3, 0.9f}, {ParamId::GainRange, 96.0f}},
        {{ParamId::OutputGain, 100.0f}},
        {{ParamId::Gain1, 40.0f}, {ParamId::GainRange, 60.0f}, {ParamId::OutputGain, 70.0f}},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        EqEngine fresh;
        fresh.setSampleRate(44100.0f);
        for (const Setting& setting : cases[c])
            fresh.setParameter(toIndex(setting.id), setting.value);
        auto signal = noise(512, 28);
        signal[3] = 3e38f;
        signal[4] = -3e38f;
        for (int block = 0; block < 3; ++block) {
            std::vector<float> outL(signal.size()), outR(signal.size());
            const float* in[2] = {signal.data(), signal.data()};
            float* out[2] = {outL.data(), outR.data()};
            fresh.processReplacing(in, out, static_cast<int32_t>(signal.size()));
            for (size_t i = 0; i < signal.size(); ++i)
                ASSERT_TRUE(std::isfinite(outL[i]) && std::isfinite(outR[i]))
                    << "case " << c << " block " << block << " frame " << i;
        }
    }
    // Within the range where it is finite, extrapolation stays exact: 1.5 means +32 dB.
    engine.setParameter(toIndex(ParamId::Gain3), 1.5f);
    EXPECT_EQ(engine.band(2).gainDb, 32.0);
}

TEST_F(EngineTest, ZeroAndNegativeFrameCountsTouchNothing) {
    std::vector<float> buffer(8, 3.0f);
    float* io[2] = {buffer.data(), buffer.data()};
    engine.processReplacing(io, io, 0);
    engine.processReplacing(io, io, -5);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](float s) { return s == 3.0f; }));
}

} // namespace
} // namespace miral
