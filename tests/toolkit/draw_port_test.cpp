#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/offscreen_port.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>

namespace miral::toolkit::testing {
namespace {

struct DrawPortTest : ::testing::Test {
    /// Runs the drawing on a port of the frame's window.
    void paint(const std::function<void(CDrawPort&)>& drawing) {
        auto context = frame.frame->getWindow()->drawContext();
        CDrawPort port(*context, frame.frame);
        drawing(port);
    }
    /// The number of non-black pixels in the box.
    int32_t inked(const CBox& box) const {
        int32_t count = 0;
        for (int32_t y = box.top; y < box.bottom; ++y)
            for (int32_t x = box.left; x < box.right; ++x)
                count += frame.pixel(x, y) != kBlackCRgb;
        return count;
    }
    HeadlessFrame frame;
};

TEST_F(DrawPortTest, OutlinesWithCornersAndFillsInsideTheOutline) {
    paint([](CDrawPort& port) {
        port.setLineColour(kRedCRgb);
        port.setFillColour(kGreenCRgb);
        port.frameRect({10, 10, 20, 16});
        port.fillRect({10, 10, 20, 16});
    });
    EXPECT_EQ(frame.pixel(10, 10), kRedCRgb);
    EXPECT_EQ(frame.pixel(20, 16), kRedCRgb);
    EXPECT_EQ(frame.pixel(20, 10), kRedCRgb);
    EXPECT_EQ(frame.pixel(10, 16), kRedCRgb);
    EXPECT_EQ(frame.pixel(11, 11), kGreenCRgb);
    EXPECT_EQ(frame.pixel(19, 15), kGreenCRgb);
    EXPECT_EQ(inked({0, 0, 40, 40}), 11 * 7); // outline and inside, nothing more
}

TEST_F(DrawPortTest, OutlinesAndFillsInOneOperationWithinTheBoxsPixels) {
    paint([](CDrawPort& port) {
        port.setOffset({2, 1});
        port.setLineColour(kRedCRgb);
        port.setFillColour(kGreenCRgb);
        port.frameAndFillRect({8, 9, 16, 19});   // 8 x 10, drawn at 10, 10
        port.frameAndFillRect({30, 30, 30, 40}); // empty: nothing
    });
    for (int32_t x = 10; x < 18; ++x) {
        EXPECT_EQ(frame.pixel(x, 10), kRedCRgb) << x;
        EXPECT_EQ(frame.pixel(x, 19), kRedCRgb) << x;
    }
    for (int32_t y = 10; y < 20; ++y) {
        EXPECT_EQ(frame.pixel(10, y), kRedCRgb) << y;
        EXPECT_EQ(frame.pixel(17, y), kRedCRgb) << y;
    }
    EXPECT_EQ(frame.pixel(11, 11), kGreenCRgb);
    EXPECT_EQ(frame.pixel(16, 18), kGreenCRgb);
    EXPECT_EQ(inked({0, 0, 60, 60}), 8 * 10);
}

TEST_F(DrawPortTest, ShiftsEverythingByItsOffset) {
    paint([](CDrawPort& port) {
        port.setOffset({100, 50});
        port.setLineColour(kYellowCRgb);
        port.moveTo({0, 0});
        port.lineTo({5, 0});
        const CPos triangle[] = {{0, 10}, {10, 10}, {0, 20}};
        port.setFillColour(kBlueCRgb);
        port.fillPolygon(triangle, 3);
    });
    EXPECT_EQ(frame.pixel(100, 50), kYellowCRgb);
    EXPECT_EQ(frame.pixel(104, 50), kYellowCRgb);
    EXPECT_EQ(frame.pixel(105, 50), kBlackCRgb); // a line leaves out its last point
    EXPECT_EQ(frame.pixel(101, 61), kBlueCRgb);
    EXPECT_EQ(frame.pixel(109, 69), kBlackCRgb);
    EXPECT_EQ(inked({0, 0, 100, 50}), 0);
}

TEST_F(DrawPortTest, WritesOneLineOfTextInsideItsBoxAligned) {
    const CBox box{10, 10, 200, 30};
    paint([&box](CDrawPort& port) {
        port.setFont(0, 12);
        port.drawString("8888", box, false, kRightText);
        port.drawString("", box);
        port.drawString(nullptr, box);
    });
    EXPECT_GT(inked({150, 10, 200, 30}), 20);
    EXPECT_EQ(inked({10, 10, 150, 30}), 0);
    EXPECT_EQ(inked({0, 0, 420, 10}) + inked({0, 30, 420, 290}), 0);
}

TEST_F(DrawPortTest, CopiesAnOffscreenPictureInOneBlock) {
    paint([](CDrawPort& port) {
        COffscreenPort offscreen(port.getFrame(), 12, 8, kCyanCRgb);
        offscreen.setFillColour(kMagentaCRgb);
        offscreen.fillRect({2, 2, 6, 6});
        offscreen.copyFrom(port, {50, 60, 62, 68});
    });
    EXPECT_EQ(frame.pixel(50, 60), kCyanCRgb);
    EXPECT_EQ(frame.pixel(53, 63), kMagentaCRgb);
    EXPECT_EQ(frame.pixel(61, 67), kCyanCRgb);
    EXPECT_EQ(frame.pixel(62, 68), kBlackCRgb);
}

TEST_F(DrawPortTest, TheHeadlessScreenSavesItsPictureAsPng) {
    frame.frame->idle();
    const std::string path = ::testing::TempDir() + "miral_headless.png";
    ASSERT_TRUE(frame.screen.savePng(path.c_str()));
    std::ifstream file(path, std::ios::binary);
    const std::string head(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(head.substr(1, 3), "PNG");
    std::remove(path.c_str());
}

} // namespace
} // namespace miral::toolkit::testing
