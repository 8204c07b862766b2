#pragma once

// Uncompressed Windows BMP files, bottom-up rows: 8-bit palettised and 24-bit.

#include "palette.h"
#include "picture.h"

#include <cstdint>
#include <vector>

namespace miral::artwork {

std::vector<uint8_t> encodeBmp8(const IndexedPicture& picture);
std::vector<uint8_t> encodeBmp24(const Picture& picture);

} // namespace miral::artwork
