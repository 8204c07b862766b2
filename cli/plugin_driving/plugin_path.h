#pragma once

// Where the miral command finds the plug-in when no --plugin option names one.

#include <string>

namespace miral::cli {

/// The miral_vst installed beside the command (../lib/vst/miral_vst.so from the directory of
/// the running executable) when it exists, otherwise the one in the build tree the command was
/// built in.
std::string defaultPluginPath();

/// A --plugin value as a file's path: "miral_vst.so" is "./miral_vst.so", never a name the
/// dynamic loader looks for in the system's library path.
std::string pluginFilePath(const std::string& path);

} // namespace miral::cli
