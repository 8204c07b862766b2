#pragma once

// The about image shown over the panel's top left corner after a click on the logo.

#include "picture.h"

namespace miral::artwork {

Picture aboutImage();

} // namespace miral::artwork
