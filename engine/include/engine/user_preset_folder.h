#pragma once

// Where the user's own preset files (NAME=VALUE lines, the command's --preset format) live, so
// that what `miral fit --user-preset` saves is what a CLAP host's preset browser lists.
//
//   Linux:   $XDG_DATA_HOME/miral/presets, or ~/.local/share/miral/presets without it
//   Windows: %APPDATA%\MIRAL\presets
//
// Preset files there end in kUserPresetExtension.

#include <optional>
#include <string>

namespace miral {

inline constexpr const char* kUserPresetExtension = ".txt";

/// The folder, from the environment; empty when neither variable (nor HOME on Linux) is set to
/// an absolute path. The folder itself may not exist yet.
std::optional<std::string> userPresetFolder();

} // namespace miral
