#pragma once

// Parameter settings as users write them: "Gain 3=+6dB", "Freq 3=1kHz", "Q 3=2",
// "ON/OFF 2=off", "Gain Range=0.5", "Output Gain=-3dB" by the names the plug-in reports, or
// "8=0.6875" by index with a normalised value. Physical values are read as the engine reads
// typed values (valueFromText); values outside a parameter's range are refused, not clamped.

#include "engine/preset_text.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace miral::cli {

/// A parameter's index and normalised value, as preset text gives them.
using ParameterSetting = PresetSetting;

/// A parameter's range in physical units.
struct ParameterRange {
    const char* kind; ///< "gain", "frequency", "q", "switch", "gain range", "output gain"
    const char* unit; ///< "dB", "Hz" or empty
    double minimum, maximum;
};

/// The range of the parameter at `index` (a valid index of the equaliser); switches run from
/// 0 (off) to 1 (on).
ParameterRange parameterRange(int32_t index);

/// The physical value of a normalised one, in the units of parameterRange.
double physicalValue(int32_t index, float norm);

/// Parses "NAME=VALUE". `names` are the plug-in's parameter names in index order; NAME is
/// matched without regard to case or surrounding spaces. Units: dB for gains (optional), Hz or
/// kHz for frequencies (optional, Hz assumed), none for Q and gain range, on/off/1/0 for
/// switches. Throws UsageError naming the setting and what is wrong with it.
ParameterSetting parseNamedSetting(std::string_view assignment,
                                   const std::vector<std::string>& names);

/// Parses "INDEX=VALUE" with a normalised value 0..1. Throws UsageError.
ParameterSetting parseIndexedSetting(std::string_view assignment, int32_t numParams);

/// Reads preset text named `name` in messages: one NAME=VALUE per line; blank lines and lines
/// starting with '#' are skipped. Throws UsageError with the name and line of the first fault.
std::vector<ParameterSetting> readPreset(std::istream& text, const std::string& name,
                                         const std::vector<std::string>& names);

/// Reads a preset file as readPreset does. Throws UsageError for a directory or a file that
/// cannot be read.
std::vector<ParameterSetting> readPresetFile(const std::string& path,
                                             const std::vector<std::string>& names);

/// Every setting a command asked for, in the order they apply: the preset file's lines, then
/// the NAME=VALUE assignments, then the INDEX=VALUE ones. Throws UsageError for the first fault.
std::vector<ParameterSetting> resolveSettings(const std::optional<std::string>& presetPath,
                                              const std::vector<std::string>& namedSettings,
                                              const std::vector<std::string>& indexedSettings,
                                              const std::vector<std::string>& names);

} // namespace miral::cli
