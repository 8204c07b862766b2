#pragma once

// Linux: the library's bitmap resources are BMP files compiled into it as byte arrays and
// registered here by resource identifier; Bitmap::fromResource decodes them (8-bit palettised
// and 24-bit uncompressed BMP).

#include <cstddef>
#include <cstdint>
#include <span>

namespace miral::platform {

/// Makes the BMP bytes the bitmap resource `id`, replacing an earlier one. The bytes are not
/// copied: they must stay valid while registered.
void registerBitmapResource(int32_t id, std::span<const std::byte> bmp);

/// Forgets the bitmap resource `id`.
void unregisterBitmapResource(int32_t id);

} // namespace miral::platform
