#include "artwork_resources.h"

#include "editor/artwork_ids.h"
#include "embedded_artwork.h"
#include "platform/bitmap.h"
#include "platform/embedded_bitmaps.h"

#include <mutex>

namespace miral::editor {

static_assert(kDoubleSizeIdOffset == platform::kDoubleSizeResourceOffset,
              "the double-size bitmaps must be where the platform layer looks for them");

void registerEditorArtwork() {
    // Hosts may create effects on several threads at once.
    static std::once_flag registered;
    std::call_once(registered, [] {
        for (const EmbeddedBitmap& bitmap : embeddedArtwork())
            platform::registerBitmapResource(bitmap.id,
                                             std::as_bytes(std::span(bitmap.bytes, bitmap.size)));
    });
}

} // namespace miral::editor
