#pragma once

// The correction that makes one recording's long-term average spectrum like another's.

#include "fitting/frequency_curve.h"

#include <string>

namespace miral::cli {

/// Welch-averaged power spectra of both files' mono sums, smoothed to 1/6 octave; the curve is
/// REFERENCE over INPUT in dB, shifted to 0 dB at 1 kHz. Throws UsageError for a file that cannot
/// be read, is shorter than one analysis segment or is silent.
FrequencyCurve spectrumDifference(const std::string& referencePath, const std::string& inputPath);

} // namespace miral::cli
