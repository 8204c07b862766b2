#pragma once

// Frequency curves: a log-spaced grid, curve files as users and measuring tools write them
// (rows "frequency gain_db" separated by commas or white space, "#" comments, an optional header
// naming the columns), and a curve read off between its points.

#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

/// `points` frequencies from `fromHz` to `toHz`, equally spaced on a log axis (one: `fromHz`).
std::vector<double> logFrequencies(double fromHz, double toHz, int points);

struct FrequencyCurve {
    std::vector<double> frequenciesHz; ///< positive, increasing
    std::vector<double> gainsDb;       ///< one per frequency (empty for a frequency list)
};

/// Reads a curve file. The gain column is `column` by its header name, else "equalization" where
/// the header has one, else the second column. Throws UsageError "FILE:LINE: what was expected"
/// for a malformed row, a non-finite number, a frequency that is not positive or does not
/// increase, and for a file that cannot be read or holds no rows.
FrequencyCurve readCurveFile(const std::string& path, const std::optional<std::string>& column);

/// Reads the frequencies of a file's first column (a list, or a curve whose gains are ignored).
/// Throws UsageError as readCurveFile does.
std::vector<double> readFrequencyFile(const std::string& path);

/// The curve's gain at `frequencyHz`: linear in log frequency between its points, its end values
/// beyond them.
double curveGainDb(const FrequencyCurve& curve, double frequencyHz);

} // namespace miral::cli
