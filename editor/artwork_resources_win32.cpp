#include "artwork_resources.h"

namespace miral::editor {

// The bitmaps are linked into the module by the resource script.
void registerEditorArtwork() {}

} // namespace miral::editor
