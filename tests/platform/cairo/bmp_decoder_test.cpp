#include "cairo/bmp_decoder.h"
#include "test_support/toolkit_fixtures.h"

#include <gtest/gtest.h>

namespace miral::toolkit::testing {
namespace {

using platform::decodeBmp;

TEST(BmpDecoder, Reads24BitBottomUpRowsWithTheirPadding) {
    // 3 pixels of 3 bytes: each row is padded to 12 bytes.
    auto bmp = makeBmp24(3, 2, [](int32_t x, int32_t y) {
        return CRgb{uint8_t(10 * x), uint8_t(100 + y), uint8_t(200 + x + y), 0};
    });
    auto decoded = decodeBmp(bmp);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 3);
    EXPECT_EQ(decoded->height, 2);
    EXPECT_EQ(decoded->pixels[0], 0x0064C8u);                        // (0, 0)
    EXPECT_EQ(decoded->pixels[2], (20u << 16) | (100u << 8) | 202u); // (2, 0)
    EXPECT_EQ(decoded->pixels[4], (10u << 16) | (101u << 8) | 202u); // (1, 1)
}

TEST(BmpDecoder, Reads8BitPalettisedRowsInEitherOrder) {
    const std::vector<CRgb> palette{{1, 2, 3, 0}, {250, 128, 0, 0}};
    for (bool topDown : {false, true}) {
        auto bmp = makeBmp8(
            5, 3, palette, [](int32_t x, int32_t y) { return uint8_t((x + y) % 2); }, topDown);
        auto decoded = decodeBmp(bmp);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->pixels[0], 0x010203u);
        EXPECT_EQ(decoded->pixels[1], 0xFA8000u);
        EXPECT_EQ(decoded->pixels[5], 0xFA8000u); // (0, 1)
    }
}

TEST(BmpDecoder, ShowsIndicesBeyondAShortPaletteAsBlack) {
    auto bmp = makeBmp8(2, 1, {{9, 9, 9, 0}}, [](int32_t x, int32_t) { return uint8_t(x * 200); });
    auto decoded = decodeBmp(bmp);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels[0], 0x090909u);
    EXPECT_EQ(decoded->pixels[1], 0u);
}

TEST(BmpDecoder, RejectsWhatItCannotReadSafely) {
    const auto good = makeBmp24(4, 4, [](int32_t, int32_t) { return kRedCRgb; });
    const auto patched = [&good](size_t at, std::byte value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    EXPECT_FALSE(decodeBmp(patched(0, std::byte{'X'})));             // not a BMP
    EXPECT_FALSE(decodeBmp(patched(28, std::byte{16})));             // 16 bits per pixel
    EXPECT_FALSE(decodeBmp(patched(30, std::byte{1})));              // run-length compressed
    EXPECT_FALSE(decodeBmp(patched(18, std::byte{0})));              // width 0
    EXPECT_FALSE(decodeBmp(patched(21, std::byte{0x7F})));           // absurd width
    EXPECT_FALSE(decodeBmp(patched(10, std::byte{0xF0})));           // pixels beyond the end
    EXPECT_FALSE(decodeBmp(std::span(good).first(good.size() - 1))); // truncated rows
    EXPECT_FALSE(decodeBmp(std::span(good).first(20)));              // truncated header

    auto paletted = makeBmp8(2, 2, {kRedCRgb}, [](int32_t, int32_t) { return uint8_t{0}; });
    paletted[46] = std::byte{0};
    paletted[47] = std::byte{1}; // 256 + 0 entries claimed: more than 256
    EXPECT_FALSE(decodeBmp(paletted));
}

} // namespace
} // namespace miral::toolkit::testing
