#pragma once

// The presets hosts list and load: the nine factory programs inside the plug-in (load key: the
// program's number, "0" to "8") and the user's preset files in userPresetFolder(), in the
// command's --preset format.

#include "param_facts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace miral::clap {

/// The plug-in's id, for its descriptor and its presets.
inline constexpr const char* kPluginId = "com.tolmek-soft.miral";

/// How many factory programs there are.
uint32_t programCount();
/// The name of factory program `program` ("08 - Contour").
const char* programName(uint32_t program);
/// The load key of factory program `program`.
std::string loadKeyOf(uint32_t program);
/// The program a load key names; null for anything but a program's exact key.
std::optional<uint32_t> programOfLoadKey(const char* key);
/// The physical values of factory program `program`.
ParamValues programValues(uint32_t program);

/// What reading a user's preset file gave: the values, or what is wrong with the file.
struct UserPreset {
    std::optional<ParamValues> values; ///< every parameter at its default, then the file's lines
    std::string problem;               ///< without values: why, in a few words
};

/// Reads the preset file at `path` whole: a file with a fault anywhere gives no values.
UserPreset readUserPreset(const char* path);

/// The name a preset file is listed under: its file name without the extension.
std::string userPresetName(const char* path);

} // namespace miral::clap
