// BMP decoding: file header, info header (any version from the 40-byte one on), optional
// palette, pixel rows padded to four bytes.
#include "cairo/bmp_decoder.h"

namespace miral::platform {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderMinSize = 40;
constexpr uint32_t kUncompressed = 0;
constexpr int32_t kMaxSide = 16384; // keeps sizes far from overflow and absurd allocations

uint32_t readU32(std::span<const std::byte> data, size_t at) {
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

uint16_t readU16(std::span<const std::byte> data, size_t at) {
    return static_cast<uint16_t>(static_cast<uint32_t>(data[at]) |
                                 static_cast<uint32_t>(data[at + 1]) << 8);
}

uint32_t rgbAt(std::span<const std::byte> data, size_t at) {
    // Stored blue, green, red.
    return static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at]);
}

/// Where a valid BMP keeps its pixels; nothing when the data is not a BMP of a supported kind.
struct BmpLayout {
    int32_t width;
    int32_t height;
    bool topDown;
    uint16_t bitCount;
    uint32_t pixelOffset;
    uint64_t stride;
    std::vector<uint32_t> palette;
};

std::optional<BmpLayout> readLayout(std::span<const std::byte> data) {
    if (data.size() < kFileHeaderSize + kInfoHeaderMinSize || data[0] != std::byte{'B'} ||
        data[1] != std::byte{'M'})
        return std::nullopt;
    const uint32_t pixelOffset = readU32(data, 10);
    const uint32_t infoSize = readU32(data, 14);
    const auto width = static_cast<int32_t>(readU32(data, 18));
    const auto storedHeight = static_cast<int32_t>(readU32(data, 22));
    const uint16_t planes = readU16(data, 26);
    const uint16_t bitCount = readU16(data, 28);
    const uint32_t compression = readU32(data, 30);
    const uint32_t coloursUsed = readU32(data, 46);

    if (infoSize < kInfoHeaderMinSize || planes != 1 || compression != kUncompressed ||
        (bitCount != 8 && bitCount != 24))
        return std::nullopt;
    const bool topDown = storedHeight < 0;
    const int64_t signedHeight = topDown ? -int64_t{storedHeight} : int64_t{storedHeight};
    if (width <= 0 || width > kMaxSide || signedHeight <= 0 || signedHeight > kMaxSide)
        return std::nullopt;
    const auto height = static_cast<int32_t>(signedHeight);

    std::vector<uint32_t> palette;
    if (bitCount == 8) {
        const uint64_t count = coloursUsed == 0 ? 256 : coloursUsed;
        const uint64_t paletteStart = kFileHeaderSize + uint64_t{infoSize};
        if (count > 256 || paletteStart + count * 4 > data.size())
            return std::nullopt;
        for (uint64_t i = 0; i < count; ++i)
            palette.push_back(rgbAt(data, static_cast<size_t>(paletteStart + i * 4)));
    }

    const uint64_t stride = (uint64_t{static_cast<uint32_t>(width)} * bitCount + 31) / 32 * 4;
    if (uint64_t{pixelOffset} + stride * static_cast<uint64_t>(height) > data.size())
        return std::nullopt;
    return BmpLayout{width, height, topDown, bitCount, pixelOffset, stride, std::move(palette)};
}

} // namespace

std::optional<BmpSize> bmpSize(std::span<const std::byte> data) {
    const auto layout = readLayout(data);
    if (!layout)
        return std::nullopt;
    return BmpSize{layout->width, layout->height};
}

std::optional<DecodedBitmap> decodeBmp(std::span<const std::byte> data) {
    const auto layout = readLayout(data);
    if (!layout)
        return std::nullopt;
    const auto& [width, height, topDown, bitCount, pixelOffset, stride, palette] = *layout;
    DecodedBitmap out{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int32_t row = 0; row < height; ++row) {
        const int32_t storedRow = topDown ? row : height - 1 - row;
        const size_t rowStart = pixelOffset + static_cast<size_t>(stride) * size_t(storedRow);
        uint32_t* target = &out.pixels[size_t(row) * size_t(width)];
        for (int32_t x = 0; x < width; ++x) {
            if (bitCount == 24) {
                target[x] = rgbAt(data, rowStart + size_t(x) * 3);
            } else {
                const auto index = static_cast<size_t>(data[rowStart + size_t(x)]);
                // An index beyond a short palette shows black rather than reading past it.
                target[x] = index < palette.size() ? palette[index] : 0;
            }
        }
    }
    return out;
}

} // namespace miral::platform
