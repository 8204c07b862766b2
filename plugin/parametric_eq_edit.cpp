#include "plugin/parametric_eq_edit.h"

#include "editor/eq_editor.h"
#include "platform/display_scale.h"

#include <new>

namespace {
// The content-scale call's index and value: the four characters as one big-endian number.
constexpr int32_t kContentScaleIndex = 0x50726553;  // 'PreS'
constexpr intptr_t kContentScaleValue = 0x41654373; // 'AeCs'
} // namespace

ParametricEqEdit::ParametricEqEdit(audioMasterCallback host,
                                   miral::toolkit::ToolkitGeneration toolkitGeneration)
    : ParametricEq(host) {
    setUniqueID(kMiralUniqueId);
    try {
        // The editor registers itself as this effect's editor, which owns it.
        new EqEditor(this, toolkitGeneration);
    } catch (const std::bad_alloc&) {
        // An editor that failed part-way had registered itself before it was taken down again.
        editor = nullptr;
        setFlag(effFlagsHasEditor, false);
    }
}

AEffGUIEditor* ParametricEqEdit::guiEditor() const {
    return dynamic_cast<AEffGUIEditor*>(editor);
}

void ParametricEqEdit::setParameter(int32_t index, float value) {
    ParametricEq::setParameter(index, value);
    if (AEffGUIEditor* gui = guiEditor())
        gui->setParameter(index, value);
}

void ParametricEqEdit::setEditorScale(double factor) {
    if (AEffGUIEditor* gui = guiEditor())
        gui->setScale(factor);
}

double ParametricEqEdit::editorScale() const {
    const AEffGUIEditor* gui = guiEditor();
    return gui != nullptr ? gui->getScale() : 1.0;
}

void ParametricEqEdit::followWindowScale() {
    if (AEffGUIEditor* gui = guiEditor())
        gui->followWindowScale();
}

intptr_t ParametricEqEdit::vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    if (miral::platform::kScaleFollowsWindow && index == kContentScaleIndex &&
        value == kContentScaleValue)
        if (AEffGUIEditor* gui = guiEditor())
            return gui->setContentScale(opt) ? 1 : 0;
    return ParametricEq::vendorSpecific(index, value, ptr, opt);
}
