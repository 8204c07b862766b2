#include "engine/level_match.h"

#include "engine/biquad.h"
#include "engine/chain_response.h"
#include "engine/inverse_laws.h"

#include <algorithm>
#include <cmath>

namespace miral {
namespace {

// K-weighting: a high shelf for the head's acoustic effect, then a high-pass, as published
// for 48 kHz. Its magnitude at any frequency is that of these sections at 48 kHz.
constexpr double kWeightingRateHz = 48000.0;
constexpr BiquadCoefficients kHeadShelf{1.53512485958697, -2.69169618940638, 1.19839281085285,
                                        -1.69065929318241, 0.73248077421585};
constexpr BiquadCoefficients kLowCut{1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621};

// Pink noise has equal power in equal ratios of frequency: over the audible band its power is
// the integral of |H|² over ln f. The grid is fine enough for the narrowest band, a tenth of an
// octave wide at Q 10.
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
constexpr int kPointsPerOctave = 96;

double powerOfDb(double gainDb) {
    return std::pow(10.0, gainDb / 10.0);
}

double weightingDb(double frequencyHz) {
    return magnitudeDb(kHeadShelf, frequencyHz, kWeightingRateHz) +
           magnitudeDb(kLowCut, frequencyHz, kWeightingRateHz);
}

} // namespace

LevelMatch matchLevel(const EqDesign& design) {
    EqDesign bands = design;
    bands.outputGain = 1.0;
    const int intervals = int(std::ceil(std::log2(kHighestHz / kLowestHz) * kPointsPerOctave));
    const double logStep = std::log(kHighestHz / kLowestHz) / intervals;
    // Trapezoids over ln f: the ends count half.
    double dry = 0.0, wet = 0.0;
    for (int i = 0; i <= intervals; ++i) {
        const double frequencyHz = kLowestHz * std::exp(logStep * i);
        const double share = (i == 0 || i == intervals) ? 0.5 : 1.0;
        const double weighted = share * powerOfDb(weightingDb(frequencyHz));
        dry += weighted;
        wet += weighted * powerOfDb(chainResponseDb(bands, frequencyHz));
    }
    LevelMatch match;
    match.loudnessChangeDb = 10.0 * std::log10(wet / dry);
    match.outputGainDb =
        std::clamp(-match.loudnessChangeDb, -kOutputGainLimitDb, kOutputGainLimitDb);
    match.limited = std::fabs(match.loudnessChangeDb) > kOutputGainLimitDb;
    return match;
}

LevelMatch matchLevel(const std::array<float, kNumParams>& values, double sampleRateHz) {
    if (!(sampleRateHz >= double(kMinimumSampleRateHz)))
        return {};
    return matchLevel(designForValues(values, float(sampleRateHz)));
}

float outputGainValue(const LevelMatch& match) {
    return std::clamp(static_cast<float>(outputGainDbToNorm(match.outputGainDb)), 0.0f, 1.0f);
}

} // namespace miral
