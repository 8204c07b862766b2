#pragma once

// miral process: one audio file through the plug-in into another.

#include "effect_settings.h"
#include "output_format.h"

#include <cstdint>
#include <string>

namespace miral::cli {

inline constexpr int32_t kDefaultBlockFrames = 1024;

struct ProcessOptions {
    std::string inputPath;
    std::string outputPath; ///< may be the input
    std::string pluginPath;
    EffectSettings settings; ///< program and parameter settings
    int32_t blockFrames = kDefaultBlockFrames;
    SampleFormatRequest sampleFormat;
    bool quiet = false; ///< no summary
};

/// Processes the input into the output and prints a summary on standard output. Throws
/// UsageError for a wrong setting and std::runtime_error for anything that fails on the way;
/// either way the output path is left as it was.
void runProcess(const ProcessOptions& options);

} // namespace miral::cli
