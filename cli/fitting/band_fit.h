#pragma once

// Fits MIRAL's six bands to a target curve: a multi-start search with NLopt over the bands'
// gains, frequencies and the peaks' Q within MIRAL's ranges, errors from the engine's own band
// designs and response evaluator, then the output gain for the headroom asked for (or for the
// dry signal's loudness).

#include "engine/level_match.h"
#include "engine/params.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

struct FitProblem {
    std::vector<double> frequenciesHz; ///< log-spaced, where the error is measured
    std::vector<double> targetDb;      ///< the wanted gain at each frequency
    double sampleRateHz = 48000.0;
    std::optional<double> trebleAverageHz; ///< above it only the average error counts
    double headroomDb = 0.0;               ///< the chain's highest gain, at most
    bool keepLevel = false;                ///< output gain stays at 0 dB
    int searchBudget = 1;                  ///< times the default number of starts and steps
    /// The output gain for the dry signal's loudness instead of the headroom.
    bool levelMatch = false;
};

struct FittedBand {
    bool on = false;
    double gainDb = 0.0, frequencyHz = 0.0, q = 0.0;
};

struct FitResult {
    std::array<FittedBand, kNumBands> bands{};
    double outputGainDb = 0.0;
    std::array<std::string, kNumParams> presetLines; ///< "Gain 3=+2.150dB": the preset's lines
    std::array<float, kNumParams> values{};          ///< what presetLines read as, normalised
    std::vector<double> responseDb;   ///< the chain's response for `values`, output gain included
    double levelDb = 0.0;             ///< response minus target on average: what the level shifts
    double rmsErrorDb = 0.0;          ///< RMS of (response − target − level)
    double maxErrorDb = 0.0;          ///< its largest magnitude...
    double maxErrorHz = 0.0;          ///< ...and where
    double peakGainDb = 0.0;          ///< the chain's highest gain, 0 Hz to Nyquist
    double headroomShortfallDb = 0.0; ///< how far the peak stays above the headroom asked for
    /// With FitProblem::levelMatch: the match that set the output gain.
    std::optional<LevelMatch> levelMatch;
};

/// The same problem always gives the same result (fixed starts, no timing).
FitResult fitBands(const FitProblem& problem);

/// Error figures of the chain response `responseDb` against the problem's target: fills
/// levelDb, rmsErrorDb, maxErrorDb and maxErrorHz of `result`.
void measureError(const FitProblem& problem, const std::vector<double>& responseDb,
                  FitResult& result);

} // namespace miral::cli
