#pragma once

// miral fit: MIRAL settings from a correction (Equalizer APO's parametric text), a target curve
// or two recordings whose long-term spectra are to match.

#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

struct FitOptions {
    std::optional<std::string> apoPath;    ///< --apo FILE
    std::optional<std::string> targetPath; ///< --target FILE
    std::optional<std::string> column;     ///< --column NAME of the target file
    std::vector<std::string> matchPaths;   ///< --match REFERENCE INPUT
    double sampleRateHz = 48000.0;
    double fromHz = 20.0, toHz = 20000.0;
    std::optional<double> trebleAverageHz;
    double headroomDb = 0.0;
    bool keepLevel = false;
    bool levelMatch = false;                 ///< Output Gain set for the dry signal's loudness
    std::optional<std::string> outputPath;   ///< -o: a preset file
    std::optional<std::string> lv2Directory; ///< an LV2 preset bundle
    std::optional<std::string> userPreset;   ///< a preset in the user's preset folder
    std::optional<std::string> name;         ///< the presets' label
    std::optional<std::string> plotPath;
    bool json = false;
    bool force = false;
};

/// Fits, prints the settings and errors on standard output (text or one JSON object), then
/// writes the outputs asked for. Throws UsageError ("FILE:LINE: ..." for a malformed input) before
/// anything is written, std::runtime_error when an output cannot be written.
void runFit(const FitOptions& options);

} // namespace miral::cli
