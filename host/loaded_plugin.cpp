#include "host/loaded_plugin.h"

#include "platform/dynamic_library.h"

#include <array>
#include <stdexcept>

namespace miral::host {
namespace {
constexpr size_t kTextBufferSize = 256; // far beyond any text the interface allows
} // namespace

LoadedPlugin::LoadedPlugin(const std::string& path) {
    std::string error;
    library_ = platform::DynamicLibrary::load(path.c_str(), &error);
    if (!library_)
        throw std::runtime_error("cannot load plug-in " + path + ": " + error);
    const EntryPoint entry = findEntryPoint(*library_);
    if (!entry)
        throw std::runtime_error("not a VST 2 plug-in (no VSTPluginMain or main): " + path);
    record_ = createEffect(entry, this);
    if (!record_ || record_->magic != kEffectMagic)
        throw std::runtime_error("plug-in refused to create an effect: " + path);
    dispatch(effOpen);
}

LoadedPlugin::~LoadedPlugin() {
    dispatch(effClose);
}

void LoadedPlugin::setAutomationListener(AutomationListener listener) {
    automationListener_ = std::move(listener);
}

void LoadedPlugin::automated(int32_t index, float value) {
    if (automationListener_)
        automationListener_(index, value);
}

EntryPoint findEntryPoint(const platform::DynamicLibrary& library) {
    if (const auto entry = library.entryAs<EntryPoint>("VSTPluginMain"))
        return entry;
    return library.entryAs<EntryPoint>("main");
}

std::string effectText(AEffect& effect, int32_t opcode, int32_t index) {
    std::array<char, kTextBufferSize> buffer{};
    effect.dispatcher(&effect, opcode, index, 0, buffer.data(), 0.0f);
    buffer.back() = '\0';
    return buffer.data();
}

std::vector<std::string> parameterNames(AEffect& effect) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < effect.numParams; ++i)
        names.push_back(effectText(effect, effGetParamName, i));
    return names;
}

std::vector<std::string> programNames(AEffect& effect) {
    std::vector<std::string> names;
    for (int32_t p = 0; p < effect.numPrograms; ++p)
        names.push_back(effectText(effect, effGetProgramNameIndexed, p));
    return names;
}

} // namespace miral::host
