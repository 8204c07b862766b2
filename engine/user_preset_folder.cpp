#include "engine/user_preset_folder.h"

#include <cstdlib>

namespace miral {
namespace {

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0')
        return std::nullopt;
    std::string text = value;
#if defined(_WIN32)
    const bool absolute = text.size() >= 3 && text[1] == ':' && (text[2] == '\\' || text[2] == '/');
    if (!absolute && !(text.size() >= 2 && text[0] == '\\' && text[1] == '\\'))
        return std::nullopt;
#else
    if (text[0] != '/')
        return std::nullopt; // the XDG rules ignore relative paths
#endif
    return text;
}

} // namespace

std::optional<std::string> userPresetFolder() {
#if defined(_WIN32)
    if (const auto appData = absoluteVariable("APPDATA"))
        return *appData + "\\MIRAL\\presets";
    return std::nullopt;
#else
    if (const auto dataHome = absoluteVariable("XDG_DATA_HOME"))
        return *dataHome + "/miral/presets";
    if (const auto home = absoluteVariable("HOME"))
        return *home + "/.local/share/miral/presets";
    return std::nullopt;
#endif
}

} // namespace miral
