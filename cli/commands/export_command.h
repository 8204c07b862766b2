#pragma once

// miral export: the settings as a configuration another program loads the LV2 plug-in with
// (PipeWire's filter-chain).

#include "settings/effect_settings.h"

#include <optional>
#include <string>

namespace miral::cli {

struct ExportOptions {
    EffectSettings settings;               ///< program and parameter settings
    std::optional<std::string> outputPath; ///< file to write; standard output without it
    bool force = false;                    ///< replace a read-only file
};

/// Prints the PipeWire configuration for the settings, or writes it by the rules of OutputFile.
/// Throws UsageError for a wrong setting (before anything is written) and std::runtime_error
/// when the file cannot be written.
void runExport(const ExportOptions& options);

} // namespace miral::cli
