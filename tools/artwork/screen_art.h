#pragma once

// The response display's screen (see editor/response_screen.h) as a picture.

#include "picture.h"

namespace miral::artwork {

/// The screen at the display's size, `scale` pixels to a layout pixel.
Picture displayScreen(int32_t scale);

} // namespace miral::artwork
