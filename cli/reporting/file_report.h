#pragma once

// What `miral process` found and did with one file, for its summary and its JSON report.

#include "engine/level_match.h"
#include "reporting/level_meter.h"

#include <cstdint>
#include <optional>
#include <string>

namespace miral::cli {

/// What became of one file.
struct FileReport {
    std::string inputPath;
    std::string outputPath;
    std::string inputName, outputName; ///< "standard input/output" for "-"
    int inputFormat = 0;
    int outputFormat = 0;
    int32_t channels = 0;
    int32_t sampleRateHz = 0;
    int64_t frames = 0; ///< as read
    LevelMeter input;
    LevelMeter output;
    double seconds = 0.0; ///< wall-clock time of the processing
    std::string error;    ///< empty when the file was written
    /// What --level-match set.
    std::optional<LevelMatch> levelMatch;
};

} // namespace miral::cli
