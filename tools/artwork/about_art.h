#pragma once

// The about image shown over the panel's top left corner after a click on the logo, one for
// each toolkit generation.

#include "picture.h"
#include "toolkit/generation.h"

namespace miral::artwork {

/// The about image of the toolkit generation, `scale` pixels to a layout pixel.
Picture aboutImage(toolkit::ToolkitGeneration generation, int32_t scale);

} // namespace miral::artwork
