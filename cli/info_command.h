#pragma once

// miral info: what the plug-in tells a host about itself.

#include <string>

namespace miral::cli {

/// Prints the plug-in's identity, its parameters (index, name, label, value, display text) and
/// its programs on standard output. Throws std::runtime_error when the plug-in cannot be loaded.
void runInfo(const std::string& pluginPath);

} // namespace miral::cli
