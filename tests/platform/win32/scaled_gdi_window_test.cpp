// The GDI backend at scales above 1 in real windows under Wine: the window's size and the
// layout pixels it reports, shapes and text on the scaled pixels, artwork from the resource's
// double-size set, and off-screen bitmaps at the window's scale.
#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "platform/window.h"
#include "test_support/host_window.h"
#include "test_support/win32/test_probe.h"
#include "win32/transparent_blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace miral::platform {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kYellow{255, 255, 0}; // a pixel only the double-size set has

constexpr int32_t kTestBitmap = 200; // 6 x 2, and 12 x 4 as resource 10200

struct RecordingEvents final : WindowEvents {
    void onPaint(DrawContext&, Rect damaged) override { painted.push_back(damaged); }
    void onButtonDown(DrawContext&, Point position) override { presses.push_back(position); }
    void onDestroyed() override {}

    std::vector<Rect> painted;
    std::vector<Point> presses;
};

class ScaledGdiWindow : public ::testing::Test {
protected:
    void SetUp() override {
        host = HostWindow::open(600, 300);
        if (!host) {
            ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "no window opens on the display";
            GTEST_SKIP() << "no display to open windows on";
        }
    }

    /// A child window of 200 x 100 layout pixels at `scale`, blacked out.
    void openChild(double scale) {
        child =
            openChildWindow(host->handle(), 200, 100, events, FrameGeneration::kOriginal, scale);
        ASSERT_NE(child, nullptr);
        drawNow([](DrawContext& context) { context.fillRect({0, 0, 200, 100}, kBlack); });
    }

    void drawNow(const std::function<void(DrawContext&)>& draw) {
        auto context = child->drawContext();
        draw(*context);
    }

    std::unique_ptr<HostWindow> host;
    RecordingEvents events;
    std::unique_ptr<Window> child;
};

TEST_F(ScaledGdiWindow, TheWindowTakesScaledPixelsAndReportsLayoutPixels) {
    openChild(2.0);
    void* frameWindow = win32::firstChildWindow(host->handle());
    ASSERT_NE(frameWindow, nullptr);
    EXPECT_EQ(win32::clientSize(frameWindow).x, 400);
    EXPECT_EQ(win32::clientSize(frameWindow).y, 200);

    child->dispatchPaint();
    ASSERT_FALSE(events.painted.empty());
    EXPECT_EQ(events.painted[0].right, 200);
    EXPECT_EQ(events.painted[0].bottom, 100);

    host->setLeftButton({61, 81}, true);
    ASSERT_EQ(events.presses.size(), 1u);
    EXPECT_EQ(events.presses[0].x, 30);
    EXPECT_EQ(events.presses[0].y, 40);
    EXPECT_EQ(child->pointerPosition().x, 30);
    EXPECT_EQ(child->pointerPosition().y, 40);
    host->setLeftButton({61, 81}, false);
}

TEST_F(ScaledGdiWindow, ShapesAtOneAndAHalfCoverTheScaledPixels) {
    openChild(1.5);
    drawNow([](DrawContext& context) {
        context.fillRect({10, 10, 20, 16}, kRed);    // 15..30 x 15..24
        context.line({30, 10}, {40, 10}, kWhite, 1); // 45..60, round(1.5) = 2 rows from 15
        context.line({30, 20}, {30, 30}, kGreen, 1); // 2 columns from 45, 30..45
        const Point triangle[] = {{100, 10}, {140, 10}, {100, 50}};
        context.fillPolygon(triangle, kGreen); // corners at 150..210 x 15..75
    });
    EXPECT_EQ(host->pixel(15, 15), kRed);
    EXPECT_EQ(host->pixel(29, 23), kRed);
    EXPECT_EQ(host->pixel(30, 23), kBlack);
    EXPECT_EQ(host->pixel(29, 24), kBlack);

    EXPECT_EQ(host->pixel(45, 15), kWhite);
    EXPECT_EQ(host->pixel(59, 16), kWhite);
    EXPECT_EQ(host->pixel(60, 15), kBlack) << "the last point is left out";
    EXPECT_EQ(host->pixel(45, 17), kBlack);
    EXPECT_EQ(host->pixel(46, 44), kGreen);
    EXPECT_EQ(host->pixel(47, 30), kBlack);
    EXPECT_EQ(host->pixel(45, 45), kBlack);

    EXPECT_EQ(host->pixel(152, 17), kGreen);
    EXPECT_EQ(host->pixel(205, 70), kBlack) << "outside the triangle";
}

// At twice the size the double-size set is copied pixel for pixel, its own detail included,
// with and without a transparent colour.
TEST_F(ScaledGdiWindow, ArtworkAtDoubleSizeComesFromTheDoubleSizeSet) {
    const std::unique_ptr<Bitmap> bitmap = Bitmap::fromResource(kTestBitmap);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 6) << "sizes stay layout pixels";
    openChild(2.0);
    drawNow([&](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kGrey);
        context.blit(*bitmap, {10, 10, 16, 12}, {0, 0});
    });
    EXPECT_EQ(host->pixel(20, 20), kRed);
    EXPECT_EQ(host->pixel(21, 21), kYellow);
    EXPECT_EQ(host->pixel(22, 20), kGreen);
    EXPECT_EQ(host->pixel(26, 21), kWhite);
    EXPECT_EQ(host->pixel(32, 20), kGrey);

    for (const bool systemBlt : {true, false}) {
        SCOPED_TRACE(systemBlt ? "TransparentBlt" : "mask");
        allowSystemTransparentBlt(systemBlt);
        drawNow([&](DrawContext& context) {
            context.fillRect({0, 0, 200, 100}, kGrey);
            context.blitTransparent(*bitmap, {10, 10, 16, 12}, {0, 0}, kWhite);
        });
        EXPECT_EQ(host->pixel(21, 21), kYellow);
        EXPECT_EQ(host->pixel(22, 20), kGreen);
        EXPECT_EQ(host->pixel(27, 21), kGrey);
        EXPECT_EQ(host->pixel(20, 22), kGrey);
        EXPECT_EQ(host->pixel(24, 23), kRed);
    }
    allowSystemTransparentBlt(true);
}

TEST_F(ScaledGdiWindow, ArtworkBetweenTheSizesIsFilteredFromTheLargerSet) {
    const std::unique_ptr<Bitmap> bitmap = Bitmap::fromResource(kTestBitmap);
    ASSERT_NE(bitmap, nullptr);
    openChild(1.5);
    drawNow([&](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kGrey);
        context.blit(*bitmap, {10, 10, 16, 12}, {0, 0}); // 15..24 x 15..18
    });
    const Rgb green = host->pixel(17, 15);
    EXPECT_GT(green.green, 200);
    EXPECT_LT(green.red, 100);
    EXPECT_NE(host->pixel(23, 17), kGrey);
    EXPECT_EQ(host->pixel(24, 15), kGrey);
    EXPECT_EQ(host->pixel(15, 18), kGrey);
}

TEST_F(ScaledGdiWindow, TextAtDoubleSizeStaysInsideTheDoubledBox) {
    openChild(2.0);
    const Rect box{20, 20, 120, 40};
    drawNow([&](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kWhite);
        Font font;
        font.pixelHeight = 18;
        font.bold = true;
        context.drawText("MIRAL 888", box, font, kBlack, TextAlign::kCentre, false);
    });
    int inside = 0;
    int outside = 0;
    int32_t top = 300;
    int32_t bottom = 0;
    const std::vector<Rgb> screen = win32::capturePixels(host->handle(), 300, 100);
    ASSERT_EQ(screen.size(), 300u * 100u);
    for (int32_t y = 20; y < 100; ++y)
        for (int32_t x = 20; x < 260; ++x) {
            if (screen[size_t(y) * 300 + size_t(x)].red >= 128)
                continue;
            const bool inBox = x >= 40 && x < 240 && y >= 40 && y < 80;
            (inBox ? inside : outside) += 1;
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    EXPECT_GT(inside, 160);
    EXPECT_EQ(outside, 0);
    EXPECT_GE(bottom - top, 2 * 12) << "the letters are twice as tall";
}

TEST_F(ScaledGdiWindow, AnOffscreenBitmapAtTheWindowsScaleIsCopiedPixelForPixel) {
    const std::unique_ptr<Bitmap> offscreen = Bitmap::blank(20, 20, 2.0);
    EXPECT_EQ(offscreen->width(), 20);
    DrawContext::onBitmap(*offscreen)->fillRect({5, 5, 10, 10}, kRed);
    openChild(2.0);
    drawNow([&](DrawContext& context) { context.blit(*offscreen, {0, 0, 20, 20}, {0, 0}); });
    EXPECT_EQ(host->pixel(9, 9), kBlack);
    EXPECT_EQ(host->pixel(10, 10), kRed);
    EXPECT_EQ(host->pixel(19, 19), kRed);
    EXPECT_EQ(host->pixel(20, 20), kBlack);
}

} // namespace
} // namespace miral::platform
