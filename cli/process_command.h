#pragma once

// miral process: one audio file through the plug-in into another.

#include "cli/output_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

inline constexpr int32_t kDefaultBlockFrames = 1024;

struct ProcessOptions {
    std::string inputPath;
    std::string outputPath; ///< may be the input
    std::string pluginPath;
    std::optional<std::string> program;       ///< number or name, loaded first
    std::optional<std::string> presetPath;    ///< NAME=VALUE lines, applied after the program
    std::vector<std::string> namedSettings;   ///< NAME=VALUE, applied after the preset
    std::vector<std::string> indexedSettings; ///< INDEX=VALUE, normalised, applied last
    int32_t blockFrames = kDefaultBlockFrames;
    SampleFormatRequest sampleFormat;
    bool quiet = false; ///< no summary
};

/// Processes the input into the output and prints a summary on standard output. Throws
/// UsageError for a wrong setting and std::runtime_error for anything that fails on the way;
/// either way the output path is left as it was.
void runProcess(const ProcessOptions& options);

} // namespace miral::cli
