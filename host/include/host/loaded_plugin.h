#pragma once

// The host side of the VST 2 interface: loads a plug-in library, creates its effect through the
// library's entry point and talks to it only through the AEffect record, as a DAW does.

#include "host/effect_calls.h"
#include "host/host_callback.h"
#include "vst2/vst2_interface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace miral::platform {
class DynamicLibrary;
}

namespace miral::host {

/// Called for every automation report of the effect (audioMasterAutomate): index, value.
using AutomationListener = std::function<void(int32_t index, float value)>;

class LoadedPlugin : public EffectCalls, private EffectListener {
public:
    /// Loads the library at `path`, creates one effect and opens it (effOpen). Throws
    /// std::runtime_error with a one-line reason (library not found, no entry point, effect
    /// refused, bad record).
    explicit LoadedPlugin(const std::string& path);
    /// Closes the effect (effClose) and unloads the library.
    ~LoadedPlugin();

    void setAutomationListener(AutomationListener listener);

private:
    void automated(int32_t index, float value) override;

    std::unique_ptr<platform::DynamicLibrary> library_;
    AutomationListener automationListener_;
};

/// The library's VST 2 entry point: VSTPluginMain, else the older main; null when it has neither.
EntryPoint findEntryPoint(const platform::DynamicLibrary& library);

/// The effect's text answer to a text opcode (names, labels, displays, program names).
std::string effectText(AEffect& effect, int32_t opcode, int32_t index = 0);

/// The effect's parameter names in index order, and its program names in program order.
std::vector<std::string> parameterNames(AEffect& effect);
std::vector<std::string> programNames(AEffect& effect);

} // namespace miral::host
