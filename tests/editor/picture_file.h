#pragma once

// Pictures of the Windows tests written for people to look at: 24-bit BMP files.

#include "platform/gui_types.h"

#include <cstdint>
#include <vector>

namespace miral::reference {

/// Writes width x height pixels (rows from the top) as a BMP file; false when it cannot.
bool writeBmp(const char* path, int32_t width, int32_t height,
              const std::vector<platform::Rgb>& pixels);

} // namespace miral::reference
