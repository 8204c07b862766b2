#pragma once

// The magnitude response of the whole equaliser: the bands that run, in series, and the output
// factor, through the one response evaluator (magnitudeDb). What the display shows, what
// `miral response` prints and what the fit minimises all come from here.

#include "engine/eq_engine.h"
#include "engine/params.h"

#include <array>
#include <span>
#include <vector>

namespace miral {

/// Gain in dB of `design` at `frequencyHz`: switched-on, non-zero, designed bands and the output
/// factor.
double chainResponseDb(const EqDesign& design, double frequencyHz);

/// chainResponseDb at each of `frequenciesHz`.
std::vector<double> chainResponseDb(const EqDesign& design, std::span<const double> frequenciesHz);

/// The design an engine makes of the 26 normalised `values` at `sampleRateHz` (44100 Hz and
/// above), applied in index order as a host sets them.
EqDesign designForValues(const std::array<float, kNumParams>& values, float sampleRateHz);

} // namespace miral
