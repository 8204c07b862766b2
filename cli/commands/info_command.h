#pragma once

// miral info: what the plug-in tells a host about itself; miral --version: the versions of the
// plug-in, the command and libsndfile.

#include <string>

namespace miral::cli {

/// Prints the plug-in's identity, its parameters (index, name, label, value, display text) and
/// its programs on standard output, as a table or (`json`) one JSON object. Throws
/// std::runtime_error when the plug-in cannot be loaded.
void runInfo(const std::string& pluginPath, bool json);

/// Prints the command's version, the plug-in's identity and version and libsndfile's version.
/// Throws std::runtime_error, after the rest, when the plug-in cannot be loaded.
void printVersions(const std::string& pluginPath);

} // namespace miral::cli
