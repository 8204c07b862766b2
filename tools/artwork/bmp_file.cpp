#include "bmp_file.h"

namespace miral::artwork {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 2835; // 72 dots per inch

void put16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = uint8_t(value);
    out[at + 1] = uint8_t(value >> 8);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

/// Headers for a bottom-up picture; the pixel rows start right after the palette.
std::vector<uint8_t> headers(int32_t width, int32_t height, uint16_t bits, uint32_t paletteSize,
                             uint32_t stride) {
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteSize * 4;
    const uint32_t pixelBytes = stride * uint32_t(height);
    std::vector<uint8_t> out(pixelOffset + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, pixelOffset + pixelBytes);
    put32(out, 10, pixelOffset);
    put32(out, 14, kInfoHeaderSize);
    put32(out, 18, uint32_t(width));
    put32(out, 22, uint32_t(height));
    put16(out, 26, 1);
    put16(out, 28, bits);
    put32(out, 34, pixelBytes);
    put32(out, 38, kPixelsPerMetre);
    put32(out, 42, kPixelsPerMetre);
    put32(out, 46, paletteSize);
    return out;
}

} // namespace

std::vector<uint8_t> encodeBmp8(const IndexedPicture& picture) {
    const uint32_t stride = (uint32_t(picture.width) + 3) / 4 * 4;
    const auto paletteSize = uint32_t(picture.palette.size());
    std::vector<uint8_t> out = headers(picture.width, picture.height, 8, paletteSize, stride);
    size_t at = kFileHeaderSize + kInfoHeaderSize;
    for (uint32_t colour : picture.palette) {
        out[at++] = uint8_t(colour);
        out[at++] = uint8_t(colour >> 8);
        out[at++] = uint8_t(colour >> 16);
        out[at++] = 0;
    }
    for (int32_t row = picture.height - 1; row >= 0; --row, at += stride)
        for (int32_t x = 0; x < picture.width; ++x)
            out[at + size_t(x)] = picture.indices[size_t(row) * size_t(picture.width) + size_t(x)];
    return out;
}

std::vector<uint8_t> encodeBmp24(const Picture& picture) {
    const uint32_t stride = (uint32_t(picture.width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out = headers(picture.width, picture.height, 24, 0, stride);
    size_t at = kFileHeaderSize + kInfoHeaderSize;
    for (int32_t row = picture.height - 1; row >= 0; --row, at += stride) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t colour = picture.at(x, row);
            out[at + size_t(x) * 3] = uint8_t(colour);
            out[at + size_t(x) * 3 + 1] = uint8_t(colour >> 8);
            out[at + size_t(x) * 3 + 2] = uint8_t(colour >> 16);
        }
    }
    return out;
}

} // namespace miral::artwork
