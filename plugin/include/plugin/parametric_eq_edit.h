#pragma once

// The equaliser as the plug-in library presents it: ParametricEq with its unique identifier and
// its editor, whose controls follow every parameter change.

#include "effect/parametric_eq.h"
#include "toolkit/generation.h"

class AEffGUIEditor;

class ParametricEqEdit : public ParametricEq {
public:
    /// Creates the editor too, on the toolkit generation of the library it is part of. When it
    /// cannot be created, the effect has none (its flags then say so) and hasEditor() is false.
    explicit ParametricEqEdit(audioMasterCallback host,
                              miral::toolkit::ToolkitGeneration toolkitGeneration =
                                  miral::toolkit::ToolkitGeneration::kOriginal);

    /// The engine's change first, then the editor's, so that its controls follow host
    /// automation, program changes and the editor's own edits.
    void setParameter(int32_t index, float value) override;

    bool hasEditor() const { return editor != nullptr; }
    /// The editor; null when it could not be created.
    AEffGUIEditor* guiEditor() const;
    /// Sets the scale (1 to 3) the editor opens at next; the editor's rectangle follows.
    /// Nothing without an editor.
    void setEditorScale(double factor);
    /// The editor's scale; 1 without an editor.
    double editorScale() const;
    /// From now on the editor takes the scale of the window it opens in, and the host's
    /// content-scale call, where the platform's windows have scales of their own (Windows).
    void followWindowScale();

    /// The host's content-scale call, where scales follow windows: index 'PreS', value 'AeCs'
    /// and the scale in opt, brought into 1 .. 3; an open editor is resized. 1 when taken, 0 for
    /// a scale that is not a number and for every other call.
    intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
};
