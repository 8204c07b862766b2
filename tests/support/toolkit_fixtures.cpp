#include "test_support/toolkit_fixtures.h"

#include "platform/display_scale.h"
#include "toolkit/draw_port.h"

namespace miral::toolkit::testing {
namespace {

void putU16(Bytes& out, size_t at, uint32_t value) {
    out[at] = std::byte(value & 0xFF);
    out[at + 1] = std::byte((value >> 8) & 0xFF);
}

void putU32(Bytes& out, size_t at, uint32_t value) {
    putU16(out, at, value & 0xFFFF);
    putU16(out, at + 2, value >> 16);
}

Bytes bmpHeaders(int32_t width, int32_t storedHeight, uint16_t bits, uint32_t paletteEntries,
                 size_t pixelBytes) {
    const size_t pixelOffset = 14 + 40 + paletteEntries * 4;
    Bytes out(pixelOffset + pixelBytes);
    out[0] = std::byte{'B'};
    out[1] = std::byte{'M'};
    putU32(out, 2, static_cast<uint32_t>(out.size()));
    putU32(out, 10, static_cast<uint32_t>(pixelOffset));
    putU32(out, 14, 40);
    putU32(out, 18, static_cast<uint32_t>(width));
    putU32(out, 22, static_cast<uint32_t>(storedHeight));
    putU16(out, 26, 1);
    putU16(out, 28, bits);
    putU32(out, 46, paletteEntries);
    return out;
}

} // namespace

Bytes makeBmp24(int32_t width, int32_t height, const PixelFunction& pixel) {
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    Bytes out = bmpHeaders(width, height, 24, 0, stride * size_t(height));
    const size_t start = 14 + 40;
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = start + size_t(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const CRgb colour = pixel(x, y);
            out[row + size_t(x) * 3] = std::byte{colour.blue};
            out[row + size_t(x) * 3 + 1] = std::byte{colour.green};
            out[row + size_t(x) * 3 + 2] = std::byte{colour.red};
        }
    }
    return out;
}

Bytes makeBmp8(int32_t width, int32_t height, const std::vector<CRgb>& palette,
               const std::function<uint8_t(int32_t x, int32_t y)>& index, bool topDown) {
    const size_t stride = (size_t(width) + 3) / 4 * 4;
    Bytes out = bmpHeaders(width, topDown ? -height : height, 8,
                           static_cast<uint32_t>(palette.size()), stride * size_t(height));
    for (size_t i = 0; i < palette.size(); ++i) {
        out[54 + i * 4] = std::byte{palette[i].blue};
        out[54 + i * 4 + 1] = std::byte{palette[i].green};
        out[54 + i * 4 + 2] = std::byte{palette[i].red};
    }
    const size_t start = 54 + palette.size() * 4;
    for (int32_t y = 0; y < height; ++y) {
        const size_t row = start + size_t(topDown ? y : height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x)
            out[row + size_t(x)] = std::byte{index(x, y)};
    }
    return out;
}

RegisteredBitmap::RegisteredBitmap(int32_t resourceId, Bytes bmp)
    : id(resourceId), bytes(std::move(bmp)) {
    platform::registerBitmapResource(resourceId, bytes);
}

RegisteredBitmap::~RegisteredBitmap() {
    platform::unregisterBitmapResource(id);
}

RegisteredBitmap solidBitmap(int32_t id, int32_t width, int32_t height, CRgb colour) {
    return RegisteredBitmap(
        id, makeBmp24(width, height, [colour](int32_t, int32_t) { return colour; }));
}

void ColourView::draw(CDrawPort& port) {
    ++draws;
    port.setFillColour(colour);
    port.fillRect({size.left - 1, size.top - 1, size.right, size.bottom});
    setDirty(false);
}

HeadlessFrame::HeadlessFrame(int32_t width, int32_t height, ToolkitGeneration generation,
                             double scale)
    : clock(1000),
      screen(platform::scaledLength(width, scale), platform::scaledLength(height, scale)),
      frame(new CFrame({0, 0, width, height}, screen.handle(), &editor, generation, scale)) {}

HeadlessFrame::~HeadlessFrame() {
    delete frame;
}

CRgb HeadlessFrame::pixel(int32_t x, int32_t y) const {
    const platform::Rgb colour = screen.pixel(x, y);
    return {colour.red, colour.green, colour.blue, 0};
}

} // namespace miral::toolkit::testing
