// Entry point of the plug-in library. Hosts look it up by name: "VSTPluginMain" first on
// Linux, "main" on Windows and in older hosts.

#include "platform/display_scale.h"
#include "plugin/parametric_eq_edit.h"

#include <new>

#if defined(_WIN32)
#define MIRAL_EXPORT __declspec(dllexport)
#else
#define MIRAL_EXPORT __attribute__((visibility("default")))
#endif

/// Creates one effect for the host; none when the host does not answer the version query or
/// the effect or its editor cannot be created (a failure of one instance only: the next call
/// tries afresh). The host ends it with effClose.
extern "C" MIRAL_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        auto* effect = new ParametricEqEdit(audioMaster);
        if (!effect->hasEditor()) {
            delete effect;
            return nullptr;
        }
        effect->setEditorScale(miral::platform::desktopScale());
        effect->followWindowScale();
        return effect->getAeffect();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The same entry under the symbol name "main", which C++ cannot declare directly. On Windows the
// definition file miral_vst.def exports it under that name.
#if !defined(_WIN32)
extern "C" MIRAL_EXPORT AEffect* vstMainEntry(audioMasterCallback audioMaster) __asm__("main");
extern "C" AEffect* vstMainEntry(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}
#endif
