#include "fitting/band_search.h"

#include "engine/band_design.h"
#include "engine/biquad.h"
#include "engine/laws.h"
#include "fitting/fit_error.h"

#include <nlopt.hpp>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace miral::cli {
namespace {

using Bands = std::array<FittedBand, kNumBands>;
using Curve = std::vector<double>;

constexpr int kLowShelf = 0;
constexpr int kHighShelf = kNumBands - 1;
constexpr double kGainLimitDb = 16.0;

// The search's budget, each times FitProblem::searchBudget.
constexpr int kRandomStarts = 8;        // starts anywhere within the ranges
constexpr int kMoveAttempts = 8;        // moves of a band to where the error is largest
constexpr int kKicks = 160;             // one or two bands settled anew at random
constexpr int kPlacementSteps = 60;     // evaluations refining one band where it was placed
constexpr int kRefinementSteps = 400;   // evaluations refining all bands
constexpr int kPolishSteps = 1500;      // evaluations of the final polish
constexpr int kPlacementCandidates = 3; // features tried for each band placed
// The exploration's frequencies: every so many of the problem's, at least this many.
constexpr size_t kExplorationPoints = 60;

// Weight of the level in the exploration's error: of the fits that are nearly as close, the one
// nearest the target's own level leaves the output gain the least to take back for headroom.
// Small, so that no band is spent on the level.
constexpr double kLevelWeight = 0.002;
// A band whose removal costs less than this RMS error is switched off.
constexpr double kNegligibleDb = 0.002;
// A move is kept when it lowers the error by more than this fraction.
constexpr double kImprovement = 1e-6;

bool isPeak(int band) {
    return band != kLowShelf && band != kHighShelf;
}

/// Search variables of a band: its gain in dB, the natural log of its frequency and, for the
/// peaks, of its Q.
size_t variablesOf(int band) {
    return isPeak(band) ? 3 : 2;
}

double shelfQ() {
    return normToQ(0.5f); // unused by the shelf designs; what the preset writes for them
}

double lowestHz(int band) {
    return normToFrequencyHz(0.0f, band);
}

double highestHz(int band) {
    return normToFrequencyHz(1.0f, band);
}

FittedBand bandOf(int band, const double* x) {
    FittedBand settings;
    settings.gainDb = x[0];
    settings.frequencyHz = std::exp(x[1]);
    settings.q = isPeak(band) ? std::exp(x[2]) : shelfQ();
    settings.on = true;
    return settings;
}

void variablesOf(int band, const FittedBand& settings, double* x) {
    x[0] = settings.gainDb;
    x[1] = std::log(settings.frequencyHz);
    if (isPeak(band))
        x[2] = std::log(settings.q);
}

void boundsOf(int band, double* lower, double* upper) {
    lower[0] = -kGainLimitDb;
    upper[0] = kGainLimitDb;
    lower[1] = std::log(lowestHz(band));
    upper[1] = std::log(highestHz(band));
    if (isPeak(band)) {
        lower[2] = std::log(normToQ(0.0f));
        upper[2] = std::log(normToQ(1.0f));
    }
}

bool sameSettings(const FittedBand& a, const FittedBand& b) {
    return a.on == b.on && a.gainDb == b.gainDb && a.frequencyHz == b.frequencyHz && a.q == b.q;
}

/// Bands with their responses: what each contributes in dB at the problem's frequencies.
struct Chain {
    Bands bands{};
    std::array<Curve, kNumBands> responses{};
};

class Search {
public:
    explicit Search(const FitProblem& problem) : problem_(problem) {
        for (const double frequencyHz : problem.frequenciesHz)
            points_.push_back(unitCirclePoint(frequencyHz, problem.sampleRateHz));
    }

    /// Where the starts, moves and kicks lead: the bands of the least error found.
    Bands explore();
    /// The explored bands polished, those that do not help switched off.
    Bands finish(const Bands& explored);

    struct Refinement;

private:
    void respond(int band, const FittedBand& settings, Curve& out) const;
    void setBand(Chain& chain, int band, const FittedBand& settings) const;
    Curve totalOf(const Chain& chain, int except = -1) const;
    double errorOf(const Curve& total, double levelWeight);
    double refine(Chain& chain, const std::vector<int>& free, int steps, double tolerance,
                  double levelWeight);
    void place(Chain& chain, int band);
    Chain emptyChain() const;
    Chain greedyStart(const std::vector<int>& order);
    Chain randomStart(std::mt19937& random) const;
    void moveBands(Chain& chain, double& error);
    void kickBands(Chain& chain, double& error, std::mt19937& random);

    const FitProblem& problem_;
    std::vector<std::complex<double>> points_; ///< the problem's frequencies on the unit circle
    std::vector<double> terms_;
};

void Search::respond(int band, const FittedBand& settings, Curve& out) const {
    out.assign(problem_.frequenciesHz.size(), 0.0);
    if (!settings.on || settings.gainDb == 0.0)
        return;
    const BiquadCoefficients coefficients =
        designBand(band, settings.gainDb, settings.frequencyHz, settings.q, problem_.sampleRateHz);
    if (!isFiniteAndStable(coefficients))
        return;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = magnitudeDb(coefficients, points_[i]);
}

void Search::setBand(Chain& chain, int band, const FittedBand& settings) const {
    chain.bands[size_t(band)] = settings;
    respond(band, settings, chain.responses[size_t(band)]);
}

Curve Search::totalOf(const Chain& chain, int except) const {
    Curve total(problem_.frequenciesHz.size(), 0.0);
    for (int band = 0; band < kNumBands; ++band)
        if (band != except)
            for (size_t i = 0; i < total.size(); ++i)
                total[i] += chain.responses[size_t(band)][i];
    return total;
}

/// Squared: smooth where the fit is exact, which the quasi-Newton steps need.
double Search::errorOf(const Curve& total, double levelWeight) {
    errorTerms(problem_, total, terms_);
    const double rms = levelFreeRms(terms_);
    const double level = meanOf(terms_);
    return rms * rms + levelWeight * levelWeight * level * level;
}

/// One local refinement: the free bands' variables, the others fixed. Gradients are forward
/// differences, for which only the band a variable belongs to is designed again.
struct Search::Refinement {
    Refinement(Search& owner, Chain& refined, const std::vector<int>& bands, double weight)
        : search(owner), chain(refined), free(bands), levelWeight(weight) {}

    Search& search;
    Chain& chain;
    const std::vector<int>& free;
    double levelWeight;
    Curve fixed, total, shifted, trial;
    double bestError = std::numeric_limits<double>::infinity();
    std::vector<double> best;

    double operator()(const std::vector<double>& x, std::vector<double>& gradient) {
        total = fixed;
        size_t slot = 0;
        for (const int band : free) {
            const FittedBand settings = bandOf(band, &x[slot]);
            if (!sameSettings(settings, chain.bands[size_t(band)]))
                search.setBand(chain, band, settings);
            for (size_t i = 0; i < total.size(); ++i)
                total[i] += chain.responses[size_t(band)][i];
            slot += variablesOf(band);
        }
        const double error = search.errorOf(total, levelWeight);
        if (error < bestError) {
            bestError = error;
            best = x;
        }
        if (!gradient.empty())
            differentiate(x, gradient, error);
        return error;
    }

    void differentiate(const std::vector<double>& x, std::vector<double>& gradient, double error) {
        constexpr double kSteps[] = {1e-5, 1e-6, 1e-6}; // dB, log frequency, log Q
        size_t slot = 0;
        for (const int band : free) {
            const Curve& own = chain.responses[size_t(band)];
            for (size_t v = 0; v < variablesOf(band); ++v) {
                double variables[3] = {x[slot], x[slot + 1], isPeak(band) ? x[slot + 2] : 0.0};
                variables[v] += kSteps[v];
                search.respond(band, bandOf(band, variables), trial);
                shifted.resize(total.size());
                for (size_t i = 0; i < total.size(); ++i)
                    shifted[i] = total[i] - own[i] + trial[i];
                gradient[slot + v] = (search.errorOf(shifted, levelWeight) - error) / kSteps[v];
            }
            slot += variablesOf(band);
        }
    }
};

double callRefinement(const std::vector<double>& x, std::vector<double>& gradient, void* data) {
    return (*static_cast<Search::Refinement*>(data))(x, gradient);
}

/// Refines the free bands of `chain` in place; the error it reached.
double Search::refine(Chain& chain, const std::vector<int>& free, int steps, double tolerance,
                      double levelWeight) {
    size_t count = 0;
    for (const int band : free)
        count += variablesOf(band);
    std::vector<double> x(count), lower(count), upper(count);
    size_t slot = 0;
    for (const int band : free) {
        variablesOf(band, chain.bands[size_t(band)], &x[slot]);
        boundsOf(band, &lower[slot], &upper[slot]);
        slot += variablesOf(band);
    }
    for (size_t i = 0; i < count; ++i)
        x[i] = std::clamp(x[i], lower[i], upper[i]);

    Refinement refinement(*this, chain, free, levelWeight);
    Chain fixedPart = chain;
    for (const int band : free)
        fixedPart.responses[size_t(band)].assign(problem_.frequenciesHz.size(), 0.0);
    refinement.fixed = totalOf(fixedPart);

    nlopt::opt local(nlopt::LD_SLSQP, unsigned(count));
    local.set_lower_bounds(lower);
    local.set_upper_bounds(upper);
    local.set_min_objective(callRefinement, &refinement);
    local.set_maxeval(steps);
    local.set_ftol_rel(tolerance);
    local.set_xtol_rel(tolerance);
    local.set_ftol_abs(1e-16);
    double error = 0.0;
    try {
        local.optimize(x, error);
    } catch (const std::runtime_error&) {
        // NLopt gives up on a line search now and then (roundoff); the best point stands.
    }
    std::vector<double> none;
    refinement(refinement.best.empty() ? x : refinement.best, none); // the chain holds the best
    return refinement.bestError;
}

Chain Search::emptyChain() const {
    Chain chain;
    for (int band = 0; band < kNumBands; ++band) {
        FittedBand settings;
        settings.on = true;
        settings.frequencyHz = std::sqrt(lowestHz(band) * highestHz(band));
        settings.q = isPeak(band) ? 2.0 : shelfQ();
        setBand(chain, band, settings);
    }
    return chain;
}

double medianOf(Curve values) {
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return values[values.size() / 2];
}

/// Puts `band` on the largest features of what the other bands leave of the target, refines it
/// there alone, and keeps the best.
void Search::place(Chain& chain, int band) {
    const std::vector<double>& f = problem_.frequenciesHz;
    const Curve others = totalOf(chain, band);
    Curve left(f.size());
    for (size_t i = 0; i < f.size(); ++i)
        left[i] = problem_.targetDb[i] - others[i];
    const double level = medianOf(left);
    for (double& value : left)
        value -= level;

    std::vector<FittedBand> candidates;
    const auto clampedGain = [](double gainDb) {
        return std::clamp(gainDb, -kGainLimitDb, kGainLimitDb);
    };
    const auto clampedHz = [&](double hz) {
        return std::clamp(hz, lowestHz(band), highestHz(band));
    };
    if (isPeak(band)) {
        // Local extremes of what is left within the band's range, the largest first.
        std::vector<size_t> extremes;
        for (size_t i = 0; i < f.size(); ++i) {
            const double size = std::fabs(left[i]);
            const bool inRange = f[i] >= lowestHz(band) && f[i] <= highestHz(band);
            if (inRange && (i == 0 || size >= std::fabs(left[i - 1])) &&
                (i + 1 == f.size() || size >= std::fabs(left[i + 1])))
                extremes.push_back(i);
        }
        std::stable_sort(extremes.begin(), extremes.end(), [&](size_t a, size_t b) {
            return std::fabs(left[a]) > std::fabs(left[b]);
        });
        if (extremes.size() > size_t(kPlacementCandidates))
            extremes.resize(size_t(kPlacementCandidates));
        for (const size_t i : extremes) {
            // The width where the feature falls to half its size gives the Q.
            size_t low = i, high = i;
            while (low > 0 && left[low - 1] * left[i] > 0.0 &&
                   std::fabs(left[low - 1]) > std::fabs(left[i]) / 2)
                --low;
            while (high + 1 < f.size() && left[high + 1] * left[i] > 0.0 &&
                   std::fabs(left[high + 1]) > std::fabs(left[i]) / 2)
                ++high;
            const double widthHz = std::max(f[high] - f[low], 1e-3 * f[i]);
            FittedBand settings;
            settings.on = true;
            settings.gainDb = clampedGain(left[i]);
            settings.frequencyHz = clampedHz(f[i]);
            settings.q =
                std::clamp(std::sqrt(f[low] * f[high]) / widthHz, normToQ(0.0f), normToQ(1.0f));
            candidates.push_back(settings);
        }
    } else {
        // Corners across the range, the gain what is left at the band's end.
        const double endDb = band == kLowShelf ? left.front() : left.back();
        for (const double fraction : {0.2, 0.45, 0.7, 0.9}) {
            const double position = band == kLowShelf ? fraction : 1.0 - fraction;
            FittedBand settings;
            settings.on = true;
            settings.gainDb = clampedGain(endDb);
            settings.frequencyHz =
                lowestHz(band) * std::pow(highestHz(band) / lowestHz(band), position);
            settings.q = shelfQ();
            candidates.push_back(settings);
        }
    }

    const std::vector<int> alone = {band};
    Chain best = chain;
    double bestError = errorOf(totalOf(chain), kLevelWeight);
    for (const FittedBand& candidate : candidates) {
        Chain trial = chain;
        setBand(trial, band, candidate);
        const double error = refine(trial, alone, kPlacementSteps, 1e-6, kLevelWeight);
        if (error < bestError) {
            bestError = error;
            best = std::move(trial);
        }
    }
    chain = std::move(best);
}

std::vector<int> allBands() {
    std::vector<int> bands(kNumBands);
    for (int band = 0; band < kNumBands; ++band)
        bands[size_t(band)] = band;
    return bands;
}

Chain Search::greedyStart(const std::vector<int>& order) {
    Chain chain = emptyChain();
    for (const int band : order)
        place(chain, band);
    return chain;
}

/// Settings anywhere within the band's ranges, of a few dB rather than of the extremes.
FittedBand randomBand(int band, std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double lower[3], upper[3], x[3];
    boundsOf(band, lower, upper);
    for (size_t v = 0; v < variablesOf(band); ++v)
        x[v] = lower[v] + (upper[v] - lower[v]) * unit(random);
    x[0] /= 3.0;
    return bandOf(band, x);
}

Chain Search::randomStart(std::mt19937& random) const {
    Chain chain;
    for (int band = 0; band < kNumBands; ++band)
        setBand(chain, band, randomBand(band, random));
    return chain;
}

/// Settles one or two bands anew at random and refines all, keeping what lowers the error.
void Search::kickBands(Chain& chain, double& error, std::mt19937& random) {
    const std::vector<int> all = allBands();
    std::uniform_int_distribution<int> anyBand(0, kNumBands - 1);
    for (int kick = 0; kick < kKicks * problem_.searchBudget; ++kick) {
        Chain trial = chain;
        std::vector<int> kicked = {anyBand(random)};
        if (kick % 2 == 1) {
            const int other = anyBand(random);
            if (other != kicked.front())
                kicked.push_back(other);
        }
        for (const int band : kicked)
            setBand(trial, band, randomBand(band, random));
        const double kickedError = refine(trial, all, kRefinementSteps, 1e-8, kLevelWeight);
        if (kickedError < error * (1.0 - kImprovement)) {
            chain = std::move(trial);
            error = kickedError;
        }
    }
}

/// Takes out the band that helps least and places it again where the error is largest, while
/// that lowers the error.
void Search::moveBands(Chain& chain, double& error) {
    const std::vector<int> all = allBands();
    std::array<bool, kNumBands> tried{};
    for (int attempt = 0; attempt < kMoveAttempts * problem_.searchBudget; ++attempt) {
        int weakest = -1;
        double weakestError = std::numeric_limits<double>::infinity();
        for (int band = 0; band < kNumBands; ++band) {
            if (tried[size_t(band)])
                continue;
            const double without = errorOf(totalOf(chain, band), kLevelWeight);
            if (without < weakestError) {
                weakestError = without;
                weakest = band;
            }
        }
        if (weakest < 0)
            return;
        Chain trial = chain;
        FittedBand silent = trial.bands[size_t(weakest)];
        silent.gainDb = 0.0;
        setBand(trial, weakest, silent);
        place(trial, weakest);
        const double moved = refine(trial, all, kRefinementSteps, 1e-8, kLevelWeight);
        if (moved < error * (1.0 - kImprovement)) {
            chain = std::move(trial);
            error = moved;
            tried = {};
        } else {
            tried[size_t(weakest)] = true;
        }
    }
}

Bands Search::explore() {
    const std::vector<int> all = allBands();
    const int budget = problem_.searchBudget;
    std::vector<Chain> starts;
    starts.push_back(greedyStart({kLowShelf, kHighShelf, 1, 2, 3, 4}));
    starts.push_back(greedyStart({1, 2, 3, 4, kLowShelf, kHighShelf}));
    std::mt19937 random(20261209u);
    for (int start = 0; start < kRandomStarts * budget; ++start)
        starts.push_back(randomStart(random));

    Chain best;
    double bestError = std::numeric_limits<double>::infinity();
    for (Chain& start : starts) {
        const double error = refine(start, all, kRefinementSteps * budget, 1e-8, kLevelWeight);
        if (error < bestError) {
            bestError = error;
            best = std::move(start);
        }
    }
    moveBands(best, bestError);
    kickBands(best, bestError, random);
    return best.bands;
}

Bands Search::finish(const Bands& explored) {
    const std::vector<int> all = allBands();
    const int budget = problem_.searchBudget;
    Chain best;
    for (int band = 0; band < kNumBands; ++band)
        setBand(best, band, explored[size_t(band)]);
    // The polish minimises the shape's error alone, from the start the level preference chose.
    refine(best, all, kPolishSteps * budget, 1e-12, 0.0);
    // Bands that do not help are switched off, the least useful first; the rest polished again.
    std::vector<int> on = all;
    for (int band = 0; band < kNumBands; ++band) {
        const double with = std::sqrt(errorOf(totalOf(best), 0.0));
        const double without = std::sqrt(errorOf(totalOf(best, band), 0.0));
        if (without < with + kNegligibleDb) {
            FittedBand off = best.bands[size_t(band)];
            off.on = false;
            setBand(best, band, off);
            on.erase(std::find(on.begin(), on.end(), band));
        }
    }
    if (!on.empty() && on.size() < all.size())
        refine(best, on, kPolishSteps * budget, 1e-12, 0.0);

    Bands bands = best.bands;
    // The four peaks have the same ranges: in order of frequency.
    std::sort(
        bands.begin() + 1, bands.begin() + kHighShelf,
        [](const FittedBand& a, const FittedBand& b) { return a.frequencyHz < b.frequencyHz; });
    return bands;
}

} // namespace

std::array<FittedBand, kNumBands> searchBands(const FitProblem& problem) {
    // Explored at every few frequencies, which divides the work; polished at all of them.
    const size_t stride = std::max<size_t>(1, problem.frequenciesHz.size() / kExplorationPoints);
    FitProblem coarse = problem;
    coarse.frequenciesHz.clear();
    coarse.targetDb.clear();
    for (size_t i = 0; i < problem.frequenciesHz.size(); i += stride) {
        coarse.frequenciesHz.push_back(problem.frequenciesHz[i]);
        coarse.targetDb.push_back(problem.targetDb[i]);
    }
    return Search(problem).finish(Search(coarse).explore());
}

} // namespace miral::cli
