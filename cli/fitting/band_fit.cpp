#include "fitting/band_fit.h"

#include "engine/band_design.h"
#include "engine/chain_response.h"
#include "engine/laws.h"
#include "engine/physical_units.h"
#include "fitting/frequency_curve.h"
#include "settings/parameter_settings.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <random>

namespace miral::cli {
namespace {

// Search variables: six gains, six log frequencies, the four peaks' log Q.
constexpr unsigned kVariables = 16;
constexpr size_t gainSlot(int band) {
    return size_t(band);
}
constexpr size_t frequencySlot(int band) {
    return size_t(kNumBands + band);
}
constexpr size_t qSlot(int peak) {
    return size_t(2 * kNumBands + peak);
}
constexpr double kGainLimitDb = 16.0;
constexpr double kOutputLimitDb = 6.0;
constexpr int kStarts = 6;
constexpr int kStepsPerStart = 1500;
constexpr int kPolishSteps = 4000;
// Weight of the level in the search's error: of the fits that are nearly as close, the one
// nearest the target's own level leaves the output gain the least to take back for headroom.
constexpr double kLevelWeight = 0.02;
// A band whose removal costs less than this RMS error is switched off.
constexpr double kNegligibleDb = 0.002;

struct Bounds {
    std::vector<double> lower, upper;
};

Bounds searchBounds() {
    Bounds bounds{std::vector<double>(kVariables), std::vector<double>(kVariables)};
    for (int band = 0; band < kNumBands; ++band) {
        bounds.lower[gainSlot(band)] = -kGainLimitDb;
        bounds.upper[gainSlot(band)] = kGainLimitDb;
        bounds.lower[frequencySlot(band)] = std::log(normToFrequencyHz(0.0f, band));
        bounds.upper[frequencySlot(band)] = std::log(normToFrequencyHz(1.0f, band));
    }
    for (int peak = 0; peak < 4; ++peak) {
        bounds.lower[qSlot(peak)] = std::log(normToQ(0.0f));
        bounds.upper[qSlot(peak)] = std::log(normToQ(1.0f));
    }
    return bounds;
}

std::array<FittedBand, kNumBands> bandsOf(const std::vector<double>& x) {
    std::array<FittedBand, kNumBands> bands{};
    for (int band = 0; band < kNumBands; ++band) {
        FittedBand& fitted = bands[size_t(band)];
        fitted.gainDb = x[gainSlot(band)];
        fitted.frequencyHz = std::exp(x[frequencySlot(band)]);
        fitted.q = band >= 1 && band <= 4 ? std::exp(x[qSlot(band - 1)]) : normToQ(0.5f);
        fitted.on = fitted.gainDb != 0.0;
    }
    return bands;
}

/// The design EqEngine makes of these bands at full gain range: same functions, same rules.
EqDesign designOf(const std::array<FittedBand, kNumBands>& bands, double sampleRateHz,
                  double outputGainDb) {
    EqDesign design;
    design.sampleRateHz = sampleRateHz;
    design.outputGain = std::pow(10.0, outputGainDb / 20.0);
    for (int band = 0; band < kNumBands; ++band) {
        const FittedBand& fitted = bands[size_t(band)];
        EqBand& record = design.bands[size_t(band)];
        record.gainDb = fitted.on ? fitted.gainDb : 0.0;
        record.frequencyHz = fitted.frequencyHz;
        record.q = fitted.q;
        record.enabled = fitted.on ? 1 : 0;
        if (record.gainDb == 0.0 || !(fitted.frequencyHz < sampleRateHz / 2))
            continue;
        record.coefficients =
            designBand(band, record.gainDb, fitted.frequencyHz, fitted.q, sampleRateHz);
        record.designed = isFiniteAndStable(record.coefficients);
    }
    return design;
}

/// Per-frequency errors with the treble above trebleAverageHz replaced by its average.
void errorTerms(const FitProblem& problem, const std::vector<double>& responseDb,
                std::vector<double>& terms) {
    terms.resize(responseDb.size());
    double trebleSum = 0.0;
    int trebleCount = 0;
    for (size_t i = 0; i < responseDb.size(); ++i) {
        terms[i] = responseDb[i] - problem.targetDb[i];
        if (problem.trebleAverageHz && problem.frequenciesHz[i] > *problem.trebleAverageHz) {
            trebleSum += terms[i];
            ++trebleCount;
        }
    }
    if (trebleCount > 0)
        for (size_t i = 0; i < terms.size(); ++i)
            if (problem.frequenciesHz[i] > *problem.trebleAverageHz)
                terms[i] = trebleSum / trebleCount;
}

/// RMS of the error terms about their mean: the output gain sets the level.
double levelFreeRms(const std::vector<double>& terms) {
    const double mean = std::accumulate(terms.begin(), terms.end(), 0.0) / double(terms.size());
    double sum = 0.0;
    for (const double term : terms)
        sum += (term - mean) * (term - mean);
    return std::sqrt(sum / double(terms.size()));
}

class Objective {
public:
    Objective(const FitProblem& problem, double levelWeight)
        : problem_(problem), levelWeight_(levelWeight) {}

    double operator()(const std::vector<double>& x) { return errorOf(bandsOf(x)); }
    double errorOf(const std::array<FittedBand, kNumBands>& bands) {
        const EqDesign design = designOf(bands, problem_.sampleRateHz, 0.0);
        response_.resize(problem_.frequenciesHz.size());
        for (size_t i = 0; i < response_.size(); ++i)
            response_[i] = chainResponseDb(design, problem_.frequenciesHz[i]);
        errorTerms(problem_, response_, terms_);
        const double level =
            std::accumulate(terms_.begin(), terms_.end(), 0.0) / double(terms_.size());
        // Squared: smooth where the fit is exact, which the local models need.
        const double rms = levelFreeRms(terms_);
        return rms * rms + levelWeight_ * levelWeight_ * level * level;
    }
    const std::vector<double>& response() const { return response_; }

private:
    const FitProblem& problem_;
    double levelWeight_;
    std::vector<double> response_, terms_;
};

double callObjective(const std::vector<double>& x, std::vector<double>&, void* data) {
    return (*static_cast<Objective*>(data))(x);
}

/// Local refinement from `x` (changed in place) with NLopt's BOBYQA; the error it reached.
double refine(Objective& objective, const Bounds& bounds, std::vector<double>& x, int steps,
              double tolerance) {
    nlopt::opt local(nlopt::LN_BOBYQA, kVariables);
    local.set_lower_bounds(bounds.lower);
    local.set_upper_bounds(bounds.upper);
    local.set_min_objective(callObjective, &objective);
    local.set_maxeval(steps);
    local.set_xtol_rel(tolerance);
    local.set_ftol_abs(1e-14);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = std::clamp(x[i], bounds.lower[i], bounds.upper[i]);
    double error = objective(x);
    try {
        local.optimize(x, error);
    } catch (const nlopt::roundoff_limited&) {
        error = objective(x); // the best point so far stands
    }
    return error;
}

/// A start from the target itself: shelves for its ends, then peaks at the largest deviations
/// left, one after another.
std::vector<double> guidedStart(const FitProblem& problem, const Bounds& bounds) {
    std::vector<double> x(kVariables);
    const std::vector<double>& target = problem.targetDb;
    const std::vector<double>& f = problem.frequenciesHz;
    const double middle = target[target.size() / 2];
    x[gainSlot(0)] = std::clamp(target.front() - middle, -kGainLimitDb, kGainLimitDb);
    x[frequencySlot(0)] = std::log(100.0);
    x[gainSlot(5)] = std::clamp(target.back() - middle, -kGainLimitDb, kGainLimitDb);
    x[frequencySlot(5)] = std::log(8000.0);
    Objective objective(problem, 0.0);
    for (int peak = 1; peak <= 4; ++peak) {
        x[gainSlot(peak)] = 0.0;
        x[frequencySlot(peak)] = std::log(1000.0);
        x[qSlot(peak - 1)] = std::log(2.0);
    }
    for (int peak = 1; peak <= 4; ++peak) {
        objective(x);
        const std::vector<double>& response = objective.response();
        std::vector<double> left(f.size());
        for (size_t i = 0; i < f.size(); ++i)
            left[i] = target[i] - response[i];
        const double mean = std::accumulate(left.begin(), left.end(), 0.0) / double(left.size());
        size_t worst = 0;
        for (size_t i = 0; i < f.size(); ++i)
            if (std::fabs(left[i] - mean) > std::fabs(left[worst] - mean))
                worst = i;
        x[gainSlot(peak)] = std::clamp(left[worst] - mean, -kGainLimitDb, kGainLimitDb);
        x[frequencySlot(peak)] = std::clamp(std::log(f[worst]), bounds.lower[frequencySlot(peak)],
                                            bounds.upper[frequencySlot(peak)]);
    }
    return x;
}

std::vector<double> randomStart(const Bounds& bounds, std::mt19937& random) {
    std::vector<double> x(kVariables);
    for (size_t i = 0; i < kVariables; ++i) {
        std::uniform_real_distribution<double> within(bounds.lower[i], bounds.upper[i]);
        x[i] = i < frequencySlot(0) ? within(random) / 3.0 : within(random);
    }
    return x;
}

std::array<FittedBand, kNumBands> searchBands(const FitProblem& problem) {
    const Bounds bounds = searchBounds();
    Objective objective(problem, kLevelWeight);
    std::mt19937 random(20261209u);
    std::vector<double> best = guidedStart(problem, bounds);
    double bestError = refine(objective, bounds, best, kStepsPerStart, 1e-6);
    const int starts = kStarts * problem.searchBudget;
    for (int start = 1; start < starts; ++start) {
        std::vector<double> x = randomStart(bounds, random);
        const double error = refine(objective, bounds, x, kStepsPerStart, 1e-6);
        if (error < bestError) {
            bestError = error;
            best = x;
        }
    }
    // The polish minimises the shape's error alone, from the start the level preference chose.
    Objective shape(problem, 0.0);
    refine(shape, bounds, best, kPolishSteps * problem.searchBudget, 1e-12);
    std::array<FittedBand, kNumBands> bands = bandsOf(best);
    // Bands that do not help are switched off, the least useful first.
    for (int band = 0; band < kNumBands; ++band) {
        const double with = shape.errorOf(bands);
        std::array<FittedBand, kNumBands> without = bands;
        without[size_t(band)].on = false;
        if (std::sqrt(shape.errorOf(without)) < std::sqrt(with) + kNegligibleDb)
            bands = without;
    }
    // The four peaks have the same ranges: in order of frequency.
    std::sort(bands.begin() + 1, bands.begin() + 5, [](const FittedBand& a, const FittedBand& b) {
        return a.frequencyHz < b.frequencyHz;
    });
    return bands;
}

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
    result.levelDb = std::accumulate(terms.begin(), terms.end(), 0.0) / double(terms.size());
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
                                  -kOutputLimitDb, kOutputLimitDb);
    }
    settle(result, bands, outputGainDb);
    EqDesign design = designForValues(result.values, rate);
    // Float steps of the output gain's law may put the peak a hair above the headroom.
    while (forHeadroom && peakGainDb(design) > problem.headroomDb &&
           outputGainDb - 0.01 >= -kOutputLimitDb) {
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
