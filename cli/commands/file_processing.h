#pragma once

// One input file through a freshly loaded plug-in into one output file: the work of
// `miral process` for each of its files.

#include "audio_files/output_format.h"
#include "reporting/file_report.h"
#include "settings/effect_settings.h"

#include <cstdint>
#include <functional>
#include <string>

namespace miral::cli {

/// What every file of a run shares.
struct ProcessingSettings {
    std::string pluginPath;
    EffectSettings settings; ///< checked before any file is touched
    int32_t blockFrames = 0;
    FormatRequest format;
    bool force = false; ///< replace read-only outputs
    /// Output Gain set for each file so that it is as loud as the dry signal.
    bool levelMatch = false;
};

/// Reports the progress of one file: the fraction done, 0..1, and the file's duration.
using ProgressListener = std::function<void(double fraction, double fileSeconds)>;

/// Processes `inputPath` into `outputPath` ("-" for the standard streams). Throws UsageError
/// when the output cannot take the input's audio and std::runtime_error for anything that fails
/// on the way; either way the output is left as it was.
FileReport processFile(const std::string& inputPath, const std::string& outputPath,
                       const ProcessingSettings& settings, const ProgressListener& progress);

} // namespace miral::cli
