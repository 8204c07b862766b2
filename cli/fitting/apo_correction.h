#pragma once

// Parametric corrections in the text format of Equalizer APO (which measuring and correction
// tools export): "Preamp: G dB" and "Filter N: ON TYPE Fc F Hz Gain G dB Q Q" lines, and the
// response of their filters as that format defines it, with the cookbook biquad designs.

#include "engine/biquad.h"

#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

enum class ApoFilterType { Peak, LowShelf, HighShelf, LowPass, HighPass, BandPass, Notch, AllPass };

struct ApoFilter {
    ApoFilterType type = ApoFilterType::Peak;
    double frequencyHz = 0.0; ///< centre frequency (a shelf written by its corner: moved there)
    double gainDb = 0.0;
    std::optional<double> q;          ///< quality factor
    std::optional<double> octaves;    ///< bandwidth in octaves ("BW Oct"), for the peaks
    std::optional<double> shelfSlope; ///< the shelves' S (1 for 12 dB per octave)
    int line = 0;                     ///< where the filter was written
};

struct ApoCorrection {
    double preampDb = 0.0;
    std::vector<ApoFilter> filters;    ///< the switched-on filters, in file order
    std::vector<std::string> warnings; ///< "FILE:LINE: ..." for lines skipped
};

/// Parses correction text named `name` in messages. Comments ("#"), switched-off filters and
/// empty "None" slots are skipped; other lines the fit does not use are skipped with a warning.
/// Throws UsageError "NAME:LINE: what was expected" for a malformed Preamp or Filter line, a
/// non-finite number, Q or bandwidth of 0 or less, a frequency below 1 Hz, and for text with no
/// filter.
ApoCorrection parseApoCorrection(std::istream& text, const std::string& name);

/// Reads and parses a correction file. Throws UsageError, also when the file cannot be read.
ApoCorrection readApoCorrection(const std::string& path);

/// The cookbook biquad of `filter` at `sampleRateHz`.
BiquadCoefficients cookbookBiquad(const ApoFilter& filter, double sampleRateHz);

/// The summed gain in dB of the correction's filters (not its preamp) at each frequency. Throws
/// UsageError "NAME:LINE: ..." for a filter whose frequency is at or beyond the Nyquist frequency.
std::vector<double> correctionResponseDb(const ApoCorrection& correction, const std::string& name,
                                         const std::vector<double>& frequenciesHz,
                                         double sampleRateHz);

} // namespace miral::cli
