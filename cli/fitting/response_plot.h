#pragma once

// Response plots as PNG pictures: a log frequency axis with labelled decades, a dB grid and up
// to three curves in their own colours, named in a legend.

#include <string>
#include <vector>

namespace miral::cli {

struct PlotCurve {
    std::string label;
    std::vector<double> frequenciesHz;
    std::vector<double> gainsDb;
};

/// Draws `curves` (the first in front) under `title` and writes the PNG file by the rules of
/// OutputFile (`force`: over a read-only file). The dB axis spans the curves in steps of 3, 6 or
/// 12 dB. Throws std::runtime_error when the file cannot be written.
void writeResponsePlot(const std::string& path, bool force, const std::string& title,
                       const std::vector<PlotCurve>& curves);

} // namespace miral::cli
