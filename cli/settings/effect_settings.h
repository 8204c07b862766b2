#pragma once

// The settings a command applies to the effect before it works: a factory program, then a
// preset file, then NAME=VALUE and INDEX=VALUE assignments.

#include "vst2/vst2_interface.h"

#include <optional>
#include <string>
#include <vector>

namespace miral::cli {

struct EffectSettings {
    std::optional<std::string> program;       ///< number or name, loaded first
    std::optional<std::string> presetPath;    ///< NAME=VALUE lines, applied after the program
    std::vector<std::string> namedSettings;   ///< NAME=VALUE, applied after the preset
    std::vector<std::string> indexedSettings; ///< INDEX=VALUE, normalised, applied last
};

/// Resolves every setting first (UsageError for the first fault, the effect untouched), then
/// loads the program and sets the parameters through the record.
void applySettings(AEffect& effect, const EffectSettings& settings);

} // namespace miral::cli
