#pragma once

// What one `miral process` run will do, worked out and checked before any file is touched.

#include "commands/process_command.h"

#include <string>
#include <vector>

namespace miral::cli {

/// One input and the output it goes to ("-": a standard stream).
struct FileJob {
    std::string input;
    std::string output;
};

/// IN OUT, or every input with its name in the output folder (the extension from --type).
/// Throws UsageError for a command line that names no such pairs, or two inputs one output.
std::vector<FileJob> jobsOf(const ProcessOptions& options);

/// Every setting and every output's type checked once; throws UsageError.
void checkSettings(const ProcessingSettings& processing, const std::vector<FileJob>& jobs);

/// Refuses (UsageError) a --json-file that would overwrite audio: an input, an output, or
/// standard output carrying audio.
void checkJsonPath(const std::string& jsonPath, const std::vector<FileJob>& jobs);

} // namespace miral::cli
