// Drawing finer than the layout on a scaled frame: an off-screen port drawing in its bitmap's
// pixels, its copy to the window at scales where layout edges fall inside screen pixels, and
// thick lines.

#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/offscreen_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace miral::toolkit::testing {
namespace {

struct OffscreenPixelsTest : ::testing::TestWithParam<double> {
    OffscreenPixelsTest() : frame(420, 290, ToolkitGeneration::kOriginal, GetParam()) {}

    /// Runs the drawing on a port of the frame's window.
    void paint(const std::function<void(CDrawPort&)>& drawing) {
        auto context = frame.frame->getWindow()->drawContext();
        CDrawPort port(*context, frame.frame);
        drawing(port);
    }

    HeadlessFrame frame;
};

TEST_P(OffscreenPixelsTest, DrawsInScreenPixelsAndCopiesOntoTheFirstPixelItsBoxCovers) {
    const double scale = GetParam();
    // Odd layout edges: at 1.5 they fall in the middle of a screen pixel.
    const CBox destination{51, 61, 63, 69};
    paint([&destination, scale](CDrawPort& port) {
        COffscreenPort offscreen(port.getFrame(), 12, 8, kCyanCRgb);
        offscreen.drawInBitmapPixels();
        EXPECT_EQ(offscreen.getScale(), scale);
        EXPECT_EQ(offscreen.pixels(8), static_cast<int32_t>(8 * scale + 0.5));
        offscreen.setLineColour(kMagentaCRgb);
        offscreen.setFillColour(kMagentaCRgb);
        offscreen.frameAndFillRect({0, 0, 2, 2}); // two screen pixels square, whatever the scale
        offscreen.copyFrom(port, destination);
    });
    // The first screen pixel of a layout edge is the first whose centre lies at or after it.
    const auto first = [scale](int32_t layout) {
        return static_cast<int32_t>(std::ceil(layout * scale - 0.5));
    };
    const int32_t left = first(destination.left);
    const int32_t top = first(destination.top);
    EXPECT_EQ(frame.pixel(left, top), kMagentaCRgb);
    EXPECT_EQ(frame.pixel(left + 1, top + 1), kMagentaCRgb);
    EXPECT_EQ(frame.pixel(left + 2, top), kCyanCRgb);
    EXPECT_EQ(frame.pixel(left, top + 2), kCyanCRgb);
    EXPECT_EQ(frame.pixel(left - 1, top), kBlackCRgb);
    EXPECT_EQ(frame.pixel(left, top - 1), kBlackCRgb);
    // The last pixels are the picture's too, and nothing lies beyond them.
    const int32_t right = first(destination.right);
    const int32_t bottom = first(destination.bottom);
    EXPECT_EQ(frame.pixel(right - 1, bottom - 1), kCyanCRgb);
    EXPECT_EQ(frame.pixel(right, bottom - 1), kBlackCRgb);
    EXPECT_EQ(frame.pixel(right - 1, bottom), kBlackCRgb);
}

TEST_P(OffscreenPixelsTest, ThickLinesFollowAStaircaseWithoutGaps) {
    paint([](CDrawPort& port) {
        COffscreenPort offscreen(port.getFrame(), 40, 40, kBlackCRgb);
        offscreen.drawInBitmapPixels();
        // Down one row per column, then along, then up: diagonal joints both ways.
        const CPos stairs[] = {{10, 10}, {11, 11}, {12, 12}, {13, 13},
                               {14, 13}, {15, 12}, {16, 11}, {17, 11}};
        offscreen.setLineWidth(2);
        offscreen.setLineColour(kWhiteCRgb);
        offscreen.polyLine(stairs, 8);
        offscreen.copyFrom(port, {0, 0, 40, 40});
    });
    // Every column the path crosses, up to its last point, is inked on two rows at least.
    for (int32_t x = 10; x < 17; ++x) {
        int32_t inked = 0;
        for (int32_t y = 0; y < 30; ++y)
            inked += frame.pixel(x, y) == kWhiteCRgb;
        EXPECT_GE(inked, 2) << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, OffscreenPixelsTest, ::testing::Values(1.0, 1.5, 2.5));

} // namespace
} // namespace miral::toolkit::testing
