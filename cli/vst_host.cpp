#include "vst_host.h"

#include <dlfcn.h>

#include <array>
#include <stdexcept>

namespace miral::host {
namespace {
using EntryPoint = AEffect* (*)(audioMasterCallback);
constexpr intptr_t kHostVstVersion = 2400;
constexpr size_t kTextBufferSize = 256; // far beyond any text the interface allows

// The host callback has no user argument: the effect being created is announced through this.
thread_local LoadedPlugin* pluginBeingCreated = nullptr;
} // namespace

LoadedPlugin::LoadedPlugin(const std::string& path) {
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_)
        throw std::runtime_error("cannot load plug-in " + path + ": " + dlerror());
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library_, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<EntryPoint>(dlsym(library_, "main"));
    if (!entry) {
        dlclose(library_);
        throw std::runtime_error("not a VST 2 plug-in (no VSTPluginMain or main): " + path);
    }
    pluginBeingCreated = this;
    effect_ = entry(&LoadedPlugin::hostCallback);
    pluginBeingCreated = nullptr;
    if (!effect_ || effect_->magic != kEffectMagic) {
        dlclose(library_);
        throw std::runtime_error("plug-in refused to create an effect: " + path);
    }
    effect_->resvd1 = reinterpret_cast<intptr_t>(this); // the host's own field
    dispatch(effOpen);
}

LoadedPlugin::~LoadedPlugin() {
    dispatch(effClose);
    dlclose(library_);
}

intptr_t LoadedPlugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void LoadedPlugin::setAutomationListener(AutomationListener listener) {
    automationListener_ = std::move(listener);
}

intptr_t LoadedPlugin::hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t, void*,
                                    float opt) {
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    LoadedPlugin* plugin = effect && effect->resvd1
                               ? reinterpret_cast<LoadedPlugin*>(effect->resvd1)
                               : pluginBeingCreated;
    if (opcode == audioMasterAutomate && plugin && plugin->automationListener_)
        plugin->automationListener_(index, opt);
    return 0;
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
