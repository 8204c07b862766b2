#pragma once

// The editor's BMP files compiled into the library (the source is generated at build time from
// resources/).

#include <cstddef>
#include <cstdint>
#include <span>

namespace miral::editor {

struct EmbeddedBitmap {
    int32_t id;
    const unsigned char* bytes;
    size_t size;
};

/// Every embedded bitmap, one per resource identifier.
std::span<const EmbeddedBitmap> embeddedArtwork();

} // namespace miral::editor
