#pragma once

// The editor's bitmaps (the panel, knob faces, switch strips, slider parts, the screen and the
// about image) as resources of the library, by identifier.

namespace miral::editor {

/// Makes the editor's bitmaps loadable as resources. Linux: registers the BMP files compiled
/// into the library, once per process (any further call does nothing). Windows: they are the
/// module's resources already, and nothing needs doing.
void registerEditorArtwork();

} // namespace miral::editor
