#pragma once

// The response display's mark of a soloed band: a box in the top left corner of the screen
// reading "SOLO" and the band's number, in the colours of the band markers. Drawn only while a
// band is soloed; the display is otherwise unchanged.

#include "toolkit/offscreen_port.h"

#include <cstdint>

namespace miral::editor {

struct SoloMarkColours {
    toolkit::CRgb outline, fill, text;
};

/// Draws the mark of band 0..5 into `port`, in its screen pixels.
void drawSoloMark(toolkit::COffscreenPort& port, int32_t band, const SoloMarkColours& colours);

} // namespace miral::editor
