// The fit: it finds settings MIRAL itself made, the preset it writes reads back as the response
// it reports, the headroom holds, and the same problem gives the same answer.

#include "fitting/band_fit.h"
#include "fitting/fitted_outputs.h"
#include "fitting/frequency_curve.h"

#include "engine/chain_response.h"
#include "settings/parameter_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace miral::cli {
namespace {

std::vector<std::string> names() {
    std::vector<std::string> list;
    for (const ParamInfo& info : kParamTable)
        list.push_back(info.name);
    return list;
}

std::array<float, kNumParams> valuesOf(const std::vector<std::string>& lines) {
    std::array<float, kNumParams> values{};
    for (int32_t i = 0; i < kNumParams; ++i)
        values[size_t(i)] = kParamTable[size_t(i)].defaultValue;
    for (const std::string& line : lines) {
        const ParameterSetting setting = parseNamedSetting(line, names());
        values[size_t(setting.index)] = setting.value;
    }
    return values;
}

/// The chain's highest gain from 0 Hz to Nyquist, on a grid of its own.
double peakDb(const EqDesign& design) {
    double peak = chainResponseDb(design, 0.0);
    for (const double f : logFrequencies(1.0, design.sampleRateHz / 2, 20000))
        peak = std::max(peak, chainResponseDb(design, f));
    return peak;
}

FitProblem problemFor(const std::array<float, kNumParams>& values) {
    FitProblem problem;
    problem.frequenciesHz = logFrequencies(20.0, 20000.0, 241);
    problem.targetDb = chainResponseDb(designForValues(values, 48000.0f), problem.frequenciesHz);
    return problem;
}

class BandFit : public ::testing::Test {
protected:
    // Settings of the equaliser itself, with a band switched off and an output gain.
    static inline const std::array<float, kNumParams> kMade = valuesOf(
        {"Gain 1=+4.5dB", "Freq 1=120Hz", "Gain 2=-3dB", "Freq 2=300Hz", "Q 2=1.5", "Gain 3=+2.5dB",
         "Freq 3=2500Hz", "Q 3=4", "ON/OFF 4=off", "Gain 4=+8dB", "Gain 5=-5dB", "Freq 5=7000Hz",
         "Q 5=6", "Gain 6=+3dB", "Freq 6=9000Hz", "Output Gain=-2dB"});
    static inline const FitProblem kProblem = problemFor(kMade);
    static inline const FitResult kFitted = fitBands(kProblem);
};

TEST_F(BandFit, RecoversSettingsTheEqualiserMade) {
    EXPECT_LT(kFitted.rmsErrorDb, 0.05);
    EXPECT_LT(std::fabs(kFitted.maxErrorDb), 0.2);
    int on = 0;
    for (const FittedBand& band : kFitted.bands)
        on += band.on;
    EXPECT_LE(on, 5);
}

TEST_F(BandFit, PresetReadsBackAsTheReportedResponse) {
    std::istringstream preset(presetText(kFitted, "fitted\nfor a test"));
    std::array<float, kNumParams> read{};
    for (const ParameterSetting& setting : readPreset(preset, "preset", names()))
        read[size_t(setting.index)] = setting.value;
    EXPECT_EQ(read, kFitted.values);
    EXPECT_EQ(chainResponseDb(designForValues(read, 48000.0f), kProblem.frequenciesHz),
              kFitted.responseDb);
}

TEST_F(BandFit, OutputGainKeepsThePeakWithinTheHeadroom) {
    EXPECT_LE(peakDb(designForValues(kFitted.values, 48000.0f)), 1e-9);
    EXPECT_GT(kFitted.peakGainDb, -0.02); // as loud as the headroom allows
    EXPECT_EQ(kFitted.headroomShortfallDb, 0.0);

    FitProblem boosted = kProblem;
    for (double& gain : boosted.targetDb)
        gain += gain > 2.0 ? 12.0 : 0.0; // beyond what ±6 dB of output gain can take back
    boosted.headroomDb = -1.0;
    const FitResult loud = fitBands(boosted);
    EXPECT_DOUBLE_EQ(loud.outputGainDb, -6.0);
    EXPECT_NEAR(loud.headroomShortfallDb, loud.peakGainDb + 1.0, 1e-12);
    EXPECT_GT(loud.headroomShortfallDb, 0.0);
}

TEST_F(BandFit, SameProblemSameSettings) {
    EXPECT_EQ(fitBands(kProblem).presetLines, kFitted.presetLines);
}

} // namespace
} // namespace miral::cli
