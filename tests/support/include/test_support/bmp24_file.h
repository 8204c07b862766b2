#pragma once

// Uncompressed 24-bit BMP files, as the artwork tool writes them, read back for pixel checks.

#include "platform/gui_types.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace miral::test {

/// The bytes of a file; empty when it cannot be read.
inline std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

/// The pixel (x, y) of an uncompressed 24-bit BMP file (rows stored from the bottom).
inline platform::Rgb bmp24Pixel(const std::vector<uint8_t>& bmp, int32_t x, int32_t y) {
    const auto little32 = [&bmp](size_t at) {
        return int32_t(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24);
    };
    const int32_t width = little32(18);
    const int32_t height = little32(22);
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    const size_t at = size_t(little32(10)) + size_t(height - 1 - y) * stride + size_t(x) * 3;
    return {bmp[at + 2], bmp[at + 1], bmp[at]};
}

} // namespace miral::test
