#include "plugin/parametric_eq_edit.h"

#include "editor/eq_editor.h"

#include <new>

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

void ParametricEqEdit::setParameter(int32_t index, float value) {
    ParametricEq::setParameter(index, value);
    if (auto* guiEditor = dynamic_cast<AEffGUIEditor*>(editor))
        guiEditor->setParameter(index, value);
}

void ParametricEqEdit::setEditorScale(double factor) {
    if (auto* guiEditor = dynamic_cast<AEffGUIEditor*>(editor))
        guiEditor->setScale(factor);
}

double ParametricEqEdit::editorScale() const {
    const auto* guiEditor = dynamic_cast<const AEffGUIEditor*>(editor);
    return guiEditor != nullptr ? guiEditor->getScale() : 1.0;
}
