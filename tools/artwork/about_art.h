#pragma once

// The about image shown over the panel's top left corner after a click on the logo, one for
// each toolkit generation.

#include "picture.h"
#include "toolkit/generation.h"

namespace miral::artwork {

Picture aboutImage(toolkit::ToolkitGeneration generation);

} // namespace miral::artwork
