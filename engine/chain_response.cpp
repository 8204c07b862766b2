#include "engine/chain_response.h"

#include <cmath>

namespace miral {

double chainResponseDb(const EqDesign& design, double frequencyHz) {
    double gainDb = 20.0 * std::log10(design.outputGain);
    for (const EqBand& band : design.bands)
        if (band.isActive())
            gainDb += magnitudeDb(band.coefficients, frequencyHz, design.sampleRateHz);
    return gainDb;
}

std::vector<double> chainResponseDb(const EqDesign& design, std::span<const double> frequenciesHz) {
    std::vector<double> gains;
    gains.reserve(frequenciesHz.size());
    for (const double frequencyHz : frequenciesHz)
        gains.push_back(chainResponseDb(design, frequencyHz));
    return gains;
}

EqDesign designForValues(const std::array<float, kNumParams>& values, float sampleRateHz) {
    EqEngine engine;
    engine.setSampleRate(sampleRateHz);
    for (int32_t index = 0; index < kNumParams; ++index)
        engine.setParameter(index, values[size_t(index)]);
    return engine.designForDisplay();
}

} // namespace miral
