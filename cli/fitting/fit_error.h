#pragma once

// The error the fit minimises and reports: the chain's response minus the target at each
// frequency, the treble above trebleAverageHz counted by its average only, measured about its
// mean because the output gain sets the level.

#include "fitting/band_fit.h"

#include <vector>

namespace miral::cli {

/// Response minus target at each frequency, the terms above trebleAverageHz replaced by their
/// average.
void errorTerms(const FitProblem& problem, const std::vector<double>& responseDb,
                std::vector<double>& terms);

double meanOf(const std::vector<double>& terms);

/// RMS of the terms about their mean.
double levelFreeRms(const std::vector<double>& terms);

} // namespace miral::cli
