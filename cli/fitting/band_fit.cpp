#include "fitting/band_fit.h"

#include "engine/chain_response.h"
#include "engine/laws.h"
#include "engine/level_match.h"
#include "engine/physical_units.h"
#include "fitting/band_search.h"
#include "fitting/fit_error.h"
#include "fitting/frequency_curve.h"
#include "settings/parameter_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace miral::cli {
namespace {

std::string formatted(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::vector<std::string> parameterNames() {
    std::vector<std::string> names;
    for (const ParamInfo& info : kParamTable)
        names.push_back(info.name);
    return names;
}

/// The setting's text as a preset holds it, from the fitted physical value.
std::string settingText(int32_t index, const std::array<FittedBand, kNumBands>& bands,
                        double outputGainDb) {
    const std::string name = kParamTable[size_t(index)].name;
    if (index == toIndex(ParamId::GainRange))
        return name + "=1";
    if (index == toIndex(ParamId::OutputGain))
        return name + "=" + formatted("%+.2fdB", outputGainDb);
    const FittedBand& band = bands[size_t(bandOfParam(index))];
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return name + "=" + formatted("%+.3fdB", band.on ? band.gainDb : 0.0);
    case BandParamKind::Frequency:
        return name + "=" + formatted("%.6gHz", band.frequencyHz);
    case BandParamKind::Q:
        return name + "=" + formatted("%.5g", band.q);
    case BandParamKind::OnOff:
        return name + (band.on ? "=on" : "=off");
    }
    return name;
}

/// The preset's lines for these settings, and the normalised values they read back as.
void settle(FitResult& result, const std::array<FittedBand, kNumBands>& bands,
            double outputGainDb) {
    const std::vector<std::string> names = parameterNames();
    for (int32_t index = 0; index < kNumParams; ++index) {
        result.presetLines[size_t(index)] = settingText(index, bands, outputGainDb);
        result.values[size_t(index)] =
            parseNamedSetting(result.presetLines[size_t(index)], names).value;
    }
}

/// The chain's highest gain from 0 Hz to Nyquist (shelves peak at the ends).
double peakGainDb(const EqDesign& design) {
    std::vector<double> frequencies = logFrequencies(1.0, design.sampleRateHz / 2.0, 2000);
    frequencies.push_back(0.0);
    double peak = -1e9;
    for (const double frequencyHz : frequencies)
        peak = std::max(peak, chainResponseDb(design, frequencyHz));
    return peak;
}

/// Physical values read back from the normalised ones, as the plug-in derives them.
void readBack(FitResult& result) {
    for (int band = 0; band < kNumBands; ++band) {
        FittedBand& fitted = result.bands[size_t(band)];
        const auto value = [&](BandParamKind kind) {
            const int32_t index = bandParamIndex(band, kind);
            return normToPhysical(index, result.values[size_t(index)]);
        };
        fitted.gainDb = value(BandParamKind::Gain);
        fitted.frequencyHz = value(BandParamKind::Frequency);
        fitted.q = value(BandParamKind::Q);
        fitted.on = value(BandParamKind::OnOff) != 0.0 && fitted.gainDb != 0.0;
    }
    result.outputGainDb = normToOutputGainDb(result.values[size_t(toIndex(ParamId::OutputGain))]);
}

} // namespace

void measureError(const FitProblem& problem, const std::vector<double>& responseDb,
                  FitResult& result) {
    std::vector<double> terms;
    errorTerms(problem, responseDb, terms);
    result.levelDb = meanOf(terms);
    result.rmsErrorDb = levelFreeRms(terms);
    result.maxErrorDb = 0.0;
    for (size_t i = 0; i < terms.size(); ++i)
        if (std::fabs(terms[i] - result.levelDb) >= std::fabs(result.maxErrorDb)) {
            result.maxErrorDb = terms[i] - result.levelDb;
            result.maxErrorHz = problem.frequenciesHz[i];
        }
}

FitResult fitBands(const FitProblem& problem) {
    FitResult result;
    const std::array<FittedBand, kNumBands> bands = searchBands(problem);
    const float rate = float(problem.sampleRateHz);
    // The output gain in steps of 0.01 dB within the output's ±6 dB: the loudness match's, or
    // the one that puts the peak at the headroom asked for, rounded down.
    double outputGainDb = 0.0;
    const bool forHeadroom = !problem.keepLevel && !problem.levelMatch;
    if (problem.levelMatch) {
        settle(result, bands, 0.0);
        result.levelMatch = matchLevel(result.values, problem.sampleRateHz);
        outputGainDb = std::round(result.levelMatch->outputGainDb * 100.0) / 100.0;
    } else if (forHeadroom) {
        settle(result, bands, 0.0);
        const double peak = peakGainDb(designForValues(result.values, rate));
        outputGainDb = std::clamp(std::floor((problem.headroomDb - peak) * 100.0) / 100.0,
                                  -kOutputGainLimitDb, kOutputGainLimitDb);
    }
    settle(result, bands, outputGainDb);
    EqDesign design = designForValues(result.values, rate);
    // Float steps of the output gain's law may put the peak a hair above the headroom.
    while (forHeadroom && peakGainDb(design) > problem.headroomDb &&
           outputGainDb - 0.01 >= -kOutputGainLimitDb) {
        outputGainDb -= 0.01;
        settle(result, bands, outputGainDb);
        design = designForValues(result.values, rate);
    }
    readBack(result);
    result.peakGainDb = peakGainDb(design);
    if (!problem.levelMatch)
        result.headroomShortfallDb = std::max(0.0, result.peakGainDb - problem.headroomDb);
    result.responseDb = chainResponseDb(design, problem.frequenciesHz);
    measureError(problem, result.responseDb, result);
    return result;
}

} // namespace miral::cli
