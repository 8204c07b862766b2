#include "host/host_callback.h"

namespace miral::host {
namespace {
// The host callback has no user argument and the record's `user` field is set only after the
// entry point returns: until then the listener is announced through this.
thread_local EffectListener* listenerOfEffectBeingCreated = nullptr;
} // namespace

intptr_t VST2_CALL hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                void*, float opt) {
    if (opcode == audioMasterVersion)
        return kHostVstVersion;
    EffectListener* listener = effect != nullptr && effect->user != nullptr
                                   ? static_cast<EffectListener*>(effect->user)
                                   : listenerOfEffectBeingCreated;
    if (listener == nullptr)
        return 0;
    switch (opcode) {
    case audioMasterAutomate:
        listener->automated(index, opt);
        return 0;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        listener->gesture(index, opcode == audioMasterBeginEdit);
        return 0;
    case audioMasterSizeWindow:
        return listener->resizeRequested(index, static_cast<int32_t>(value)) ? 1 : 0;
    case audioMasterVendorSpecific:
        if (index == kMiralSoloRequest)
            listener->soloRequested(static_cast<int32_t>(value));
        return 0;
    default:
        return 0;
    }
}

AEffect* createEffect(EntryPoint entry, EffectListener* listener) {
    listenerOfEffectBeingCreated = listener;
    AEffect* effect = entry(hostCallback);
    listenerOfEffectBeingCreated = nullptr;
    if (effect != nullptr && effect->magic == kEffectMagic)
        effect->user = listener;
    return effect;
}

} // namespace miral::host
