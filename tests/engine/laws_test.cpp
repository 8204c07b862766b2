#include "engine/laws.h"
#include "engine/params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace miral {
namespace {

TEST(ParameterTable, NamesLabelsAndDefaultsFollowTheBandPattern) {
    const auto info = [](int32_t band, BandParamKind kind) -> const ParamInfo& {
        return kParamTable[static_cast<size_t>(bandParamIndex(band, kind))];
    };
    for (int32_t band = 0; band < kNumBands; ++band) {
        const std::string n = std::to_string(band + 1);
        EXPECT_EQ(info(band, BandParamKind::Gain).name, "Gain " + n);
        EXPECT_EQ(info(band, BandParamKind::Frequency).name, "Freq " + n);
        EXPECT_EQ(info(band, BandParamKind::Q).name, "Q " + n);
        EXPECT_EQ(info(band, BandParamKind::OnOff).name, "ON/OFF " + n);
        EXPECT_STREQ(info(band, BandParamKind::Gain).label, " dB ");
        EXPECT_STREQ(info(band, BandParamKind::Frequency).label, " Hz ");
        EXPECT_STREQ(info(band, BandParamKind::Q).label, "   ");
        EXPECT_EQ(info(band, BandParamKind::OnOff).defaultValue, 1.0f);
    }
    EXPECT_STREQ(kParamTable[toIndex(ParamId::GainRange)].label, "    ");
    EXPECT_STREQ(kParamTable[toIndex(ParamId::OutputGain)].name, "Output Gain");
}

TEST(MappingLaws, GainIsLinearAndExactlyZeroAtTheMiddle) {
    EXPECT_EQ(normToGainDb(0.0f), -16.0);
    EXPECT_EQ(normToGainDb(0.5f), 0.0);
    EXPECT_EQ(normToGainDb(1.0f), 16.0);
    EXPECT_EQ(normToGainDb(1.5f), 32.0); // extrapolates, nothing clamps
}

struct FrequencyCase {
    float x;
    int32_t filterIndex;
    double hz;
};

TEST(MappingLaws, FrequencyRangesPerBandShape) {
    const FrequencyCase cases[] = {
        {0.0f, 0, 20.0},    {0.5f, 0, 200.0},    {1.0f, 0, 2000.0}, {0.0f, 1, 40.0},
        {0.5f, 2, 800.0},   {1.0f, 1, 16000.0},  {0.0f, 5, 500.0},  {0.5f, 5, 3000.0},
        {1.0f, 5, 18000.0}, {1.0f, 11, 18000.0}, {0.0f, 6, 20.0},   {1.0f, 10, 16000.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(normToFrequencyHz(c.x, c.filterIndex), c.hz, c.hz * 1e-12)
            << "x " << c.x << " k " << c.filterIndex;
}

TEST(MappingLaws, QSpansOneToTen) {
    EXPECT_NEAR(normToQ(0.0f), 1.0, 1e-15);
    EXPECT_NEAR(normToQ(0.5f), 3.16227766, 1e-8);
    EXPECT_NEAR(normToQ(1.0f), 10.0, 1e-12);
}

TEST(MappingLaws, OutputGainIsExactAtTheMiddleOnly) {
    EXPECT_EQ(normToOutputGainDb(0.5f), 0.0);
    EXPECT_EQ(normToOutputFactor(0.5f), 1.0);
    const float justAbove = std::nextafter(0.5f, 1.0f);
    EXPECT_GT(normToOutputGainDb(justAbove), 0.0);
    EXPECT_NEAR(normToOutputGainDb(justAbove), 0.0000007, 1e-7);
    EXPECT_EQ(normToOutputGainDb(0.0f), -6.0);
    EXPECT_NEAR(normToOutputFactor(0.0f), 0.501187, 1e-6);
    EXPECT_NEAR(normToOutputFactor(1.0f), 1.995262, 1e-6);
}

TEST(MappingLaws, OutputReadoutIsTheEditorsCubicNotTheAppliedLaw) {
    EXPECT_EQ(normToOutputReadoutDb(0.5f), 0.0);
    EXPECT_NEAR(normToOutputReadoutDb(0.0f), -30.0, 1e-9);
    EXPECT_NEAR(normToOutputReadoutDb(1.0f), 3.0, 1e-3);
    EXPECT_NEAR(normToOutputReadoutDb(0.25f), -8.75, 1e-3);
    double previous = normToOutputReadoutDb(0.0f);
    for (int i = 1; i <= 100; ++i) {
        const double value = normToOutputReadoutDb(static_cast<float>(i) / 100.0f);
        EXPECT_GT(value, previous) << i;
        previous = value;
    }
}

TEST(MappingLaws, SwitchTurnsOnAtOneHalf) {
    EXPECT_EQ(normToEnabled(0.49f), 0);
    EXPECT_EQ(normToEnabled(0.5f), 1);
    EXPECT_EQ(normToEnabled(1.0f), 1);
    EXPECT_EQ(normToEnabled(0.0f), 0);
    EXPECT_EQ(normToEnabled(1e30f), INT16_MAX); // saturates instead of overflowing
}

TEST(MappingLaws, GainRangeHasAFloor) {
    EXPECT_EQ(normToGainRange(0.0f), 0.01);
    EXPECT_EQ(normToGainRange(0.5f), 0.5);
    EXPECT_EQ(normToGainRange(1.0f), 1.0);
}

} // namespace
} // namespace miral
