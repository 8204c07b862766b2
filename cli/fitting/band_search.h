#pragma once

// The search behind the fit. Bands are placed one at a time on the largest features of what is
// left of the target (peaks within each band's own range, shelves at the ends) and refined where
// they stand; seeded random starts compete with these. From the best, a band is moved to where
// the error is largest while that helps, and one or two bands at a time are settled anew at
// random (seeded), kept where the error falls. All this runs on every few of the problem's
// frequencies; a long polish on all of them follows, and bands that do not help are switched
// off. Refinement is NLopt's SLSQP in gain dB, log frequency and log Q within MIRAL's ranges;
// every error comes from the engine's band designs and response evaluator.

#include "fitting/band_fit.h"

#include <array>

namespace miral::cli {

/// The bands for `problem` at 0 dB output gain. The same problem always gives the same bands.
std::array<FittedBand, kNumBands> searchBands(const FitProblem& problem);

} // namespace miral::cli
