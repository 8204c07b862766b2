#pragma once

// Pictures of the equaliser's editor without a window system. The headless screen belongs to
// the process that draws on it, so the effect is created here, in this process, from the same
// code the plug-in library is built from, and driven only through its AEffect record, as the
// loaded plug-in is.

#include "host/effect_calls.h"
#include "plugin/embedded_editor.h"

#include <string>

namespace miral::cli {

/// An equaliser effect of this process, as the plug-in's entry point creates it, at 44100 Hz.
class InProcessEqualiser : public host::EffectCalls {
public:
    /// An editor drawn at `editorScale` (1 to 3; 2 draws 840 x 580 pixels from the 2x
    /// artwork). Throws std::runtime_error when the effect or its editor cannot be created.
    explicit InProcessEqualiser(double editorScale = 1.0);
    /// Ends the effect with effClose.
    ~InProcessEqualiser() = default;
    /// Opens the editor on a headless screen of its size, lets it draw, writes the picture as
    /// a PNG file by the rules of OutputFile (`force`: over a read-only file) and closes the
    /// editor. Throws std::runtime_error when the editor cannot be opened or the file cannot be
    /// written.
    void saveEditorPicture(const std::string& pngPath, bool force);

private:
    EmbeddedEditor editor_;
};

} // namespace miral::cli
