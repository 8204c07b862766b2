#pragma once

// miral snapshot: a picture of the editor, as it shows the given settings, without a window
// system.

#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

struct SnapshotOptions {
    std::string outputPath;                   ///< PNG file to write
    std::optional<std::string> program;       ///< number or name, loaded first
    std::optional<std::string> presetPath;    ///< NAME=VALUE lines, applied after the program
    std::vector<std::string> namedSettings;   ///< NAME=VALUE, applied after the preset
    std::vector<std::string> indexedSettings; ///< INDEX=VALUE, normalised, applied last
};

/// Writes the editor's 420 x 290 picture after loading the settings. Throws UsageError for a
/// wrong setting (before anything is written) and std::runtime_error when the picture cannot
/// be made or written.
void runSnapshot(const SnapshotOptions& options);

} // namespace miral::cli
