#pragma once

// The host callback every host of this project gives the effects it creates: it answers the
// version query as a VST 2.4 host and passes automation reports, the editor's gestures and its
// resize requests to the effect's listener.

#include "vst2/vst2_interface.h"

#include <cstdint>

namespace miral::host {

/// What a host answers to audioMasterVersion: VST 2.4.
inline constexpr intptr_t kHostVstVersion = 2400;

/// A plug-in library's entry point (VSTPluginMain, or the older main).
using EntryPoint = AEffect*(VST2_CALL*)(audioMasterCallback);

/// Hears an effect's automation reports (audioMasterAutomate): parameter index and value; and,
/// where it cares, the gestures around them and the editor's requests for another size.
class EffectListener {
public:
    virtual void automated(int32_t index, float value) = 0;
    /// audioMasterBeginEdit (`begins`) or audioMasterEndEdit for parameter `index`.
    virtual void gesture(int32_t /*index*/, bool /*begins*/) {}
    /// audioMasterSizeWindow: the editor asks for a window of this size; true when granted.
    virtual bool resizeRequested(int32_t /*width*/, int32_t /*height*/) { return false; }
    /// kMiralSoloRequest: the editor's own equaliser asks that band 0..5 (-1: none) of the
    /// equaliser that processes be soloed.
    virtual void soloRequested(int32_t /*band*/) {}

protected:
    ~EffectListener() = default;
};

/// Answers audioMasterVersion with kHostVstVersion and passes audioMasterAutomate,
/// audioMasterBeginEdit, audioMasterEndEdit, audioMasterSizeWindow and the solo request
/// (audioMasterVendorSpecific with kMiralSoloRequest) to the listener the
/// record's `user` field names (or, while createEffect runs, the one it was given). Answers 0 to
/// everything else, and to all of these but a granted resize. An effect with no listener is told
/// nothing else.
intptr_t VST2_CALL hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                void* ptr, float opt);

/// The effect `entry` creates with hostCallback, or null when it refuses. `listener` (or null)
/// hears its reports from within the entry point on; the record's `user` field names it when
/// the record carries the effect magic.
AEffect* createEffect(EntryPoint entry, EffectListener* listener);

} // namespace miral::host
