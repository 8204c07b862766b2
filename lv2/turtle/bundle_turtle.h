#pragma once

// The bundle's Turtle descriptions, made from the parameter table, the mapping laws and the
// effect's program table, so that none of them is ever written by hand.

#include <ostream>
#include <string>

namespace miral::lv2 {

/// manifest.ttl: the plug-in with its library, the user interface with its library, the
/// presets; each with the file that describes it.
void writeManifest(std::ostream& out, const std::string& pluginBinary, const std::string& uiBinary);

/// The plug-in: identity, features, user interface and ports with ranges, defaults and units.
void writePluginDescription(std::ostream& out);

/// The user interface: the editor inside the host's X11 window.
void writeUiDescription(std::ostream& out);

/// The factory programs as presets, every port's value in physical units.
void writePresets(std::ostream& out);

/// File names the manifest refers to.
inline constexpr const char* kPluginFile = "miral.ttl";
inline constexpr const char* kUiFile = "miral_ui.ttl";
inline constexpr const char* kPresetsFile = "presets.ttl";

} // namespace miral::lv2
