#include "plugin_driving/plugin_path.h"

#include <filesystem>
#include <system_error>

namespace miral::cli {

std::string defaultPluginPath() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed =
            executable.parent_path() / ".." / "lib" / "vst" / "miral_vst.so";
        if (std::filesystem::exists(installed, error))
            return installed.lexically_normal().string();
    }
    return MIRAL_BUILD_TREE_VST_PATH;
}

std::string pluginFilePath(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

} // namespace miral::cli
