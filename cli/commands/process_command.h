#pragma once

// miral process: audio files through the plug-in, one IN into OUT or several into a folder.

#include "commands/file_processing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

inline constexpr int32_t kDefaultBlockFrames = 1024;

struct ProcessOptions {
    std::vector<std::string> files;             ///< IN OUT, or the inputs with an output folder
    std::optional<std::string> outputDirectory; ///< --out-dir: every file is an input
    ProcessingSettings processing;
    unsigned jobs = 0;                   ///< files processed at once; 0: one per core
    bool quiet = false;                  ///< no summary
    bool json = false;                   ///< the summary as JSON on standard error
    std::optional<std::string> jsonPath; ///< ... or into this file
};

/// Processes the files and prints the summary (on standard output, or standard error when
/// audio goes there). Throws UsageError for a wrong command line, setting or output type,
/// before any file is touched. One file: throws std::runtime_error when it fails, its output
/// left as it was. Several: each failure is reported and the others go on; throws
/// std::runtime_error at the end when any failed. Throws SummaryError when the audio was
/// written but the summary could not be. With --json every outcome is one JSON object on
/// standard error, and failures are thrown as ReportedFailure.
void runProcess(const ProcessOptions& options);

} // namespace miral::cli
