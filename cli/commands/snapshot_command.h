#pragma once

// miral snapshot: a picture of the editor, as it shows the given settings, without a window
// system.

#include "settings/effect_settings.h"

#include <string>

namespace miral::cli {

struct SnapshotOptions {
    std::string outputPath;  ///< PNG file to write, "-" for standard output
    EffectSettings settings; ///< program and parameter settings
    bool force = false;      ///< replace a read-only file
    double scale = 1.0;      ///< the editor's scale, 1 to 3
};

/// Writes the editor's picture (420 x 290 pixels times the scale) after loading the settings.
/// Throws UsageError for a wrong setting (before anything is written) and std::runtime_error when
/// the picture cannot be made or written.
void runSnapshot(const SnapshotOptions& options);

} // namespace miral::cli
