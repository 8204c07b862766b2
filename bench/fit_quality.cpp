// How close and how fast miral fit gets, over a seeded set: random Equalizer APO corrections of
// 5 to 10 filters, the nine programs' own responses and random MIRAL settings. For each case it
// prints the RMS error of the default fit, of a reference fit with 50 times the search, and the
// processor time of the default fit. Goals: the default within 5 % (or 0.02 dB) of the
// reference, under 2 s per fit; the programs within 0.01 dB, the random settings within 0.05 dB.
//
//   miral_fit_quality [CASES_PER_RANDOM_KIND]   (default 5)

#include "fitting/apo_correction.h"
#include "fitting/band_fit.h"
#include "fitting/frequency_curve.h"

#include "effect/eq_program.h"
#include "engine/chain_response.h"
#include "engine/inverse_laws.h"

#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace miral;
using namespace miral::cli;

constexpr double kRate = 48000.0;
constexpr int kReferenceBudget = 50;

struct Case {
    std::string name;
    std::vector<double> targetDb;
    double goalDb; ///< largest RMS error allowed, 0 for none
};

std::vector<double> grid() {
    return logFrequencies(20.0, 20000.0, 241); // the command's 24 points per octave
}

/// An APO correction as correction tools write them: a low and a high shelf by their centre,
/// peaks of Q 0.4 to 5 across the band, gains of a few dB, a preamp for the largest boost.
std::string randomApoText(std::mt19937& random) {
    std::uniform_int_distribution<int> count(5, 10);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * unit(random); };
    const auto logBetween = [&](double low, double high) {
        return low * std::pow(high / low, unit(random));
    };
    std::ostringstream text;
    text << "Preamp: -6.0 dB\n";
    const int filters = count(random);
    text << "Filter 1: ON LSC Fc " << logBetween(60, 200) << " Hz Gain " << between(-4, 8)
         << " dB Q 0.70\n";
    text << "Filter 2: ON HSC Fc " << logBetween(3000, 10000) << " Hz Gain " << between(-6, 6)
         << " dB Q 0.70\n";
    for (int i = 3; i <= filters; ++i)
        text << "Filter " << i << ": ON PK Fc " << logBetween(20, 16000) << " Hz Gain "
             << between(-7, 7) << " dB Q " << logBetween(0.4, 5.0) << "\n";
    return text.str();
}

std::array<float, kNumParams> randomSettings(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::array<float, kNumParams> values{};
    for (int32_t i = 0; i < kNumParams; ++i)
        values[size_t(i)] = kParamTable[size_t(i)].defaultValue;
    for (int band = 0; band < kNumBands; ++band) {
        const bool on = unit(random) > 0.15;
        values[size_t(bandParamIndex(band, BandParamKind::Gain))] =
            float(gainDbToNorm(on ? -12.0 + 24.0 * unit(random) : 0.0));
        values[size_t(bandParamIndex(band, BandParamKind::Frequency))] = float(unit(random));
        values[size_t(bandParamIndex(band, BandParamKind::Q))] = float(unit(random));
        values[size_t(bandParamIndex(band, BandParamKind::OnOff))] = on ? 1.0f : 0.0f;
    }
    values[size_t(toIndex(ParamId::OutputGain))] =
        float(outputGainDbToNorm(-6 + 12 * unit(random)));
    return values;
}

std::vector<Case> seededCases(int perKind) {
    std::vector<Case> cases;
    std::mt19937 random(30u);
    for (int i = 0; i < perKind; ++i) {
        std::istringstream text(randomApoText(random));
        const ApoCorrection correction = parseApoCorrection(text, "random");
        cases.push_back({"APO file " + std::to_string(i + 1) + " (" +
                             std::to_string(correction.filters.size()) + " filters)",
                         correctionResponseDb(correction, "random", grid(), kRate), 0.0});
    }
    const auto& programs = factoryPrograms();
    for (size_t p = 0; p < programs.size(); ++p) {
        std::array<float, kNumParams> values{};
        for (int32_t i = 0; i < kNumParams; ++i)
            values[size_t(i)] = programs[p].inSlot(slotOfParam(i));
        cases.push_back({std::string("program ") + programs[p].name.data(),
                         chainResponseDb(designForValues(values, float(kRate)), grid()), 0.01});
    }
    for (int i = 0; i < perKind; ++i)
        cases.push_back(
            {"random settings " + std::to_string(i + 1),
             chainResponseDb(designForValues(randomSettings(random), float(kRate)), grid()), 0.05});
    return cases;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

struct Outcome {
    double defaultDb, referenceDb, seconds;
};

Outcome measure(const Case& c) {
    FitProblem problem;
    problem.frequenciesHz = grid();
    problem.targetDb = c.targetDb;
    problem.sampleRateHz = kRate;
    const double start = threadSeconds();
    const double defaultDb = fitBands(problem).rmsErrorDb;
    const double seconds = threadSeconds() - start;
    problem.searchBudget = kReferenceBudget;
    return {defaultDb, fitBands(problem).rmsErrorDb, seconds};
}

} // namespace

int main(int argc, char** argv) {
    const int perKind = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::vector<Case> cases = seededCases(perKind);
    // Two cases at a time; each fit's time is its own thread's processor time.
    std::vector<Outcome> outcomes(cases.size());
    for (size_t i = 0; i < cases.size(); i += 2) {
        auto second = i + 1 < cases.size()
                          ? std::async(std::launch::async, measure, std::cref(cases[i + 1]))
                          : std::future<Outcome>();
        outcomes[i] = measure(cases[i]);
        if (second.valid())
            outcomes[i + 1] = second.get();
    }
    std::printf("%-36s %12s %12s %9s  %s\n", "case", "default dB", "reference dB", "s/fit",
                "goals");
    int failed = 0;
    double slowest = 0.0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Outcome& o = outcomes[i];
        const bool nearReference =
            o.defaultDb <= std::max(1.05 * o.referenceDb, o.referenceDb + 0.02);
        const bool withinGoal = cases[i].goalDb == 0.0 || o.defaultDb <= cases[i].goalDb;
        const bool quick = o.seconds < 2.0;
        failed += !(nearReference && withinGoal && quick);
        slowest = std::max(slowest, o.seconds);
        std::printf("%-36s %12.5f %12.5f %9.3f  %s\n", cases[i].name.c_str(), o.defaultDb,
                    o.referenceDb, o.seconds,
                    nearReference && withinGoal && quick ? "met" : "MISSED");
    }
    std::printf("\n%zu cases, %d missed a goal; slowest default fit %.3f s\n", cases.size(), failed,
                slowest);
    return failed == 0 ? 0 : 1;
}
