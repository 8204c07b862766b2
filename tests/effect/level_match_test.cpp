// The level match against a measurement: pink noise (equal sines, an equal number per octave)
// played through the engine, both it and the dry noise K-weighted by the published 48 kHz
// filter sections run sample by sample here, and their mean squares compared.

#include "effect/eq_program.h"
#include "engine/eq_engine.h"
#include "engine/level_match.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace miral {
namespace {

constexpr double kRate = 48000.0;
constexpr int kSettleFrames = 24000;    // the filters' transients die out
constexpr int kMeasuredFrames = 144000; // three seconds
constexpr int kSinesPerOctave = 48;
constexpr double kToleranceDb = 0.1;

struct Section {
    double b0, b1, b2, a1, a2;
};
constexpr Section kShelf{1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241,
                         0.73248077421585};
constexpr Section kHighPass{1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};

/// Mean square of the K-weighted signal after the settling time.
double weightedPower(const std::vector<float>& signal) {
    double x1[2] = {}, x2[2] = {}, y1[2] = {}, y2[2] = {};
    double sum = 0.0;
    for (size_t n = 0; n < signal.size(); ++n) {
        double value = signal[n];
        int stage = 0;
        for (const Section& s : {kShelf, kHighPass}) {
            const double y = s.b0 * value + s.b1 * x1[stage] + s.b2 * x2[stage] - s.a1 * y1[stage] -
                             s.a2 * y2[stage];
            x2[stage] = x1[stage];
            x1[stage] = value;
            y2[stage] = y1[stage];
            y1[stage] = y;
            value = y;
            ++stage;
        }
        if (n >= size_t(kSettleFrames))
            sum += value * value;
    }
    return sum / kMeasuredFrames;
}

/// Sines from 20 Hz to 20 kHz, evenly spaced in log frequency, equal in level, random phases.
std::vector<float> pinkSines() {
    std::vector<std::complex<double>> phase, turn;
    std::mt19937 random(33);
    std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
    for (double frequency = 20.0; frequency <= 20000.0;
         frequency *= std::exp2(1.0 / kSinesPerOctave)) {
        phase.push_back(std::polar(1.0, angle(random)));
        turn.push_back(std::polar(1.0, 2.0 * std::numbers::pi * frequency / kRate));
    }
    const double amplitude = 0.1 * std::sqrt(2.0 / double(phase.size()));
    std::vector<float> signal(kSettleFrames + kMeasuredFrames);
    for (float& sample : signal) {
        double sum = 0.0;
        for (size_t k = 0; k < phase.size(); ++k) {
            sum += phase[k].imag();
            phase[k] *= turn[k];
        }
        sample = float(amplitude * sum);
    }
    return signal;
}

std::array<float, kNumParams> parameterValues(EqProgram program) {
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = program.ofParam(index);
    return values;
}

std::vector<float> processed(const std::vector<float>& input,
                             const std::array<float, kNumParams>& values) {
    EqEngine engine;
    engine.setSampleRate(float(kRate));
    for (int32_t index = 0; index < kNumParams; ++index)
        engine.setParameter(index, values[size_t(index)]);
    std::vector<float> output(input.size());
    const float* inputs[2] = {input.data(), input.data()};
    float* outputs[2] = {output.data(), output.data()};
    engine.processReplacing(inputs, outputs, int32_t(input.size()));
    return output;
}

TEST(LevelMatch, EveryFactoryProgramMatchesTheMeasuredKWeightedLoudnessOfPinkNoise) {
    const std::vector<float> noise = pinkSines();
    const double dry = weightedPower(noise);
    for (const EqProgram& program : factoryPrograms()) {
        const std::array<float, kNumParams> values = parameterValues(program);
        const double changeDb = 10.0 * std::log10(weightedPower(processed(noise, values)) / dry);
        const LevelMatch match = matchLevel(values, kRate);
        const char* name = program.name.data();
        EXPECT_NEAR(match.loudnessChangeDb, changeDb, kToleranceDb) << name;
        EXPECT_NEAR(match.outputGainDb, std::clamp(-changeDb, -6.0, 6.0), kToleranceDb) << name;
    }
}

TEST(LevelMatch, TheOutputGainStopsAtItsRangeAndABypassedEqualiserNeedsNone) {
    struct Case {
        const char* what;
        float gains; // every band's gain, normalised
        double rateHz;
        double outputGainDb;
        bool limited;
    };
    for (const Case& c : {Case{"every band +16 dB", 1.0f, 48000.0, -6.0, true},
                          Case{"every band -16 dB", 0.0f, 96000.0, 6.0, true},
                          Case{"flat", 0.5f, 44100.0, 0.0, false},
                          Case{"boosted but bypassed", 1.0f, 32000.0, 0.0, false}}) {
        std::array<float, kNumParams> values = parameterValues(EqProgram());
        for (int32_t band = 0; band < kNumBands; ++band)
            values[size_t(bandParamIndex(band, BandParamKind::Gain))] = c.gains;
        values[size_t(toIndex(ParamId::OutputGain))] = 0.9f; // left out of the match
        const LevelMatch match = matchLevel(values, c.rateHz);
        EXPECT_EQ(match.outputGainDb, c.outputGainDb) << c.what;
        EXPECT_EQ(match.limited, c.limited) << c.what;
    }
}

} // namespace
} // namespace miral
