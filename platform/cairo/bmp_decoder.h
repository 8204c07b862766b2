#pragma once

// Decodes the BMP files the artwork uses: uncompressed, 8-bit palettised or 24-bit, bottom-up
// or top-down rows. Every length and offset is checked against the data.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace miral::platform {

struct DecodedBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; ///< 0x00RRGGBB, rows top to bottom
};

struct BmpSize {
    int32_t width = 0;
    int32_t height = 0;
};

/// The picture's size, without decoding it: nothing exactly when decodeBmp gives nothing.
std::optional<BmpSize> bmpSize(std::span<const std::byte> data);

/// The picture, or nothing when the data is not a BMP of a supported kind.
std::optional<DecodedBitmap> decodeBmp(std::span<const std::byte> data);

} // namespace miral::platform
