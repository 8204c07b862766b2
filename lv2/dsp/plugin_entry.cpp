// The LV2 entry point of the plug-in library: one descriptor, the equaliser.
#include "dsp/equaliser_plugin.h"
#include "lv2/uris.h"

#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cstring>

#include <new>

namespace miral::lv2 {
namespace {

EqualiserPlugin* plugin(LV2_Handle instance) {
    return static_cast<EqualiserPlugin*>(instance);
}

/// The host's URID map, an optional feature; null when not given.
const LV2_URID_Map* uridMap(const LV2_Feature* const* features) {
    for (; features != nullptr && *features != nullptr; ++features)
        if (std::strcmp((*features)->URI, LV2_URID__map) == 0)
            return static_cast<const LV2_URID_Map*>((*features)->data);
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    return new (std::nothrow) EqualiserPlugin(sampleRate, uridMap(features));
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) {
    plugin(instance)->connect(port, data);
}

void activate(LV2_Handle instance) {
    plugin(instance)->activate();
}

void run(LV2_Handle instance, uint32_t frames) {
    plugin(instance)->run(frames);
}

void cleanup(LV2_Handle instance) {
    delete plugin(instance);
}

const void* extensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor descriptor = {
    kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData,
};

} // namespace
} // namespace miral::lv2

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &miral::lv2::descriptor : nullptr;
}
