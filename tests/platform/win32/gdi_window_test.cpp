// The GDI backend in real windows under Wine: the frame window's class and messages, drawing,
// block transfers with and without a transparent colour, and the live mouse state. Pixels are
// read back from the host window, as the screen shows them.
#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "platform/window.h"
#include "test_support/host_window.h"
#include "test_support/win32/test_probe.h"
#include "win32/transparent_blit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace miral::platform {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kDarkBlue{10, 20, 30}; // the last pixel of the test bitmap's top row

constexpr int32_t kTestBitmap = 200; // 6 x 2: red green blue white black dark-blue / white
                                     // white red red white white

struct RecordingEvents final : WindowEvents {
    void onPaint(DrawContext& context, Rect damaged) override {
        painted.push_back(damaged);
        if (painter)
            painter(context);
    }
    void onButtonDown(DrawContext&, Point position) override {
        presses.push_back(position);
        buttonsAtPress.push_back(window->mouseButtons());
    }
    void onDestroyed() override { destroyed = true; }

    Window* window = nullptr;
    std::function<void(DrawContext&)> painter;
    std::vector<Rect> painted;
    std::vector<Point> presses;
    std::vector<int32_t> buttonsAtPress;
    bool destroyed = false;
};

/// A frame window class name of this program's module in the given format.
std::string classNamed(const char* format) {
    char name[32];
    std::snprintf(name, sizeof(name), format,
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(win32::programModule())));
    return name;
}

class GdiWindow : public ::testing::Test {
protected:
    void SetUp() override {
        host = HostWindow::open(200, 100);
        if (!host) {
            // Wine needs an X display for windows: without one the test cannot run; with one
            // this is a failure.
            ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "no window opens on the display";
            GTEST_SKIP() << "no display to open windows on";
        }
    }

    void openChild(std::function<void(DrawContext&)> painter = {},
                   FrameGeneration generation = FrameGeneration::kOriginal) {
        events.painter = std::move(painter);
        child = openChildWindow(host->handle(), 200, 100, events, generation);
        ASSERT_NE(child, nullptr);
        events.window = child.get();
    }

    /// Draws on the child window now, then lets the screen catch up.
    void drawNow(const std::function<void(DrawContext&)>& draw) {
        auto context = child->drawContext();
        draw(*context);
    }

    std::unique_ptr<HostWindow> host;
    RecordingEvents events;
    std::unique_ptr<Window> child;
};

TEST_F(GdiWindow, FrameWindowIsAChildOfTheModulesClassAndPaintsWhenShown) {
    openChild([](DrawContext& context) { context.fillRect({0, 0, 200, 100}, kGreen); });
    void* frameWindow = win32::firstChildWindow(host->handle());
    ASSERT_NE(frameWindow, nullptr);
    EXPECT_EQ(win32::windowClassName(frameWindow), classNamed("Plugin%08x"));

    // The first paint is waiting; a window dispatches it on request, once.
    EXPECT_TRUE(child->dispatchPaint());
    EXPECT_FALSE(child->dispatchPaint());
    ASSERT_EQ(events.painted.size(), 1u);
    EXPECT_EQ(events.painted[0].right, 200);
    EXPECT_EQ(events.painted[0].bottom, 100);
    EXPECT_EQ(host->pixel(199, 99), kGreen);

    child.reset();
    EXPECT_FALSE(win32::windowExists(frameWindow));
    EXPECT_FALSE(events.destroyed) << "closing it ourselves is no outside destruction";
}

TEST_F(GdiWindow, TheLaterToolkitsWindowClassIsNamedWithoutPadding) {
    openChild({}, FrameGeneration::kLater);
    void* frameWindow = win32::firstChildWindow(host->handle());
    ASSERT_NE(frameWindow, nullptr);
    EXPECT_EQ(win32::windowClassName(frameWindow), classNamed("Plugin%x"));

    // Both classes at once: a window of the original class beside it.
    RecordingEvents otherEvents;
    auto other = openChildWindow(host->handle(), 50, 50, otherEvents);
    ASSERT_NE(other, nullptr);
    other.reset();
    child.reset();
    openChild({}, FrameGeneration::kLater);
    EXPECT_NE(child, nullptr) << "the class is registered again after its last window closed";
}

TEST_F(GdiWindow, ShapesCoverThePixelsTheToolkitExpects) {
    openChild();
    drawNow([](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kBlack);
        context.fillRect({10, 10, 20, 15}, kRed);
        context.line({30, 10}, {40, 10}, kWhite, 1); // the last point is left out
        context.line({30, 20}, {30, 30}, kWhite, 1);
        const Point path[] = {{50, 10}, {60, 10}, {60, 20}};
        context.polyline(path, kBlue, 1);
        const Point triangle[] = {{100, 10}, {140, 10}, {100, 50}};
        context.fillPolygon(triangle, kGreen);
    });
    EXPECT_EQ(host->pixel(10, 10), kRed);
    EXPECT_EQ(host->pixel(19, 14), kRed);
    EXPECT_EQ(host->pixel(20, 14), kBlack);
    EXPECT_EQ(host->pixel(19, 15), kBlack);
    EXPECT_EQ(host->pixel(30, 10), kWhite);
    EXPECT_EQ(host->pixel(39, 10), kWhite);
    EXPECT_EQ(host->pixel(40, 10), kBlack);
    EXPECT_EQ(host->pixel(30, 29), kWhite);
    EXPECT_EQ(host->pixel(30, 30), kBlack);
    EXPECT_EQ(host->pixel(55, 10), kBlue);
    EXPECT_EQ(host->pixel(60, 15), kBlue);
    EXPECT_EQ(host->pixel(105, 15), kGreen);
    EXPECT_EQ(host->pixel(135, 45), kBlack) << "outside the triangle";
}

TEST_F(GdiWindow, BlitsCopyOnlyWhatTheSourceHas) {
    EXPECT_EQ(Bitmap::fromResource(9999), nullptr);
    const std::unique_ptr<Bitmap> bitmap = Bitmap::fromResource(kTestBitmap);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 6);
    EXPECT_EQ(bitmap->height(), 2);
    openChild();
    drawNow([&](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kGrey);
        context.blit(*bitmap, {10, 10, 30, 20}, {0, 0}); // larger than the bitmap
        context.blit(*bitmap, {40, 10, 42, 11}, {4, 0}); // from an offset
    });
    EXPECT_EQ(host->pixel(10, 10), kRed);
    EXPECT_EQ(host->pixel(11, 10), kGreen);
    EXPECT_EQ(host->pixel(12, 10), kBlue);
    EXPECT_EQ(host->pixel(15, 10), kDarkBlue);
    EXPECT_EQ(host->pixel(12, 11), kRed);
    EXPECT_EQ(host->pixel(16, 10), kGrey) << "beyond the source: left as it was";
    EXPECT_EQ(host->pixel(10, 12), kGrey);
    EXPECT_EQ(host->pixel(40, 10), kBlack);
    EXPECT_EQ(host->pixel(41, 10), kDarkBlue);
    EXPECT_EQ(host->pixel(42, 10), kGrey);
}

// Transparent blits through msimg32's TransparentBlt and through the mask give the same picture,
// and a mask kept from an earlier blit follows later drawing into the bitmap.
TEST_F(GdiWindow, TransparentBlitsLeaveOutTheKeyThroughEitherPath) {
    const std::unique_ptr<Bitmap> bitmap = Bitmap::fromResource(kTestBitmap);
    ASSERT_NE(bitmap, nullptr);
    openChild();
    for (const bool systemBlt : {true, false}) {
        SCOPED_TRACE(systemBlt ? "TransparentBlt" : "mask");
        allowSystemTransparentBlt(systemBlt);
        drawNow([&](DrawContext& context) {
            context.fillRect({0, 0, 200, 100}, kGrey);
            context.blitTransparent(*bitmap, {10, 10, 16, 12}, {0, 0}, kWhite);
        });
        EXPECT_EQ(host->pixel(10, 10), kRed);
        EXPECT_EQ(host->pixel(13, 10), kGrey);
        EXPECT_EQ(host->pixel(14, 10), kBlack);
        EXPECT_EQ(host->pixel(15, 10), kDarkBlue);
        EXPECT_EQ(host->pixel(10, 11), kGrey);
        EXPECT_EQ(host->pixel(12, 11), kRed);
        EXPECT_EQ(host->pixel(15, 11), kGrey);
    }

    const std::unique_ptr<Bitmap> drawn = Bitmap::blank(2, 1);
    DrawContext::onBitmap(*drawn)->fillRect({0, 0, 2, 1}, kWhite);
    drawNow([&](DrawContext& context) {
        context.fillRect({0, 0, 200, 100}, kGrey);
        context.blitTransparent(*drawn, {20, 20, 22, 21}, {0, 0}, kWhite);
    });
    EXPECT_EQ(host->pixel(20, 20), kGrey);
    DrawContext::onBitmap(*drawn)->fillRect({0, 0, 1, 1}, kBlue);
    drawNow([&](DrawContext& context) {
        context.blitTransparent(*drawn, {20, 20, 22, 21}, {0, 0}, kWhite);
    });
    EXPECT_EQ(host->pixel(20, 20), kBlue);
    EXPECT_EQ(host->pixel(21, 20), kGrey);
    allowSystemTransparentBlt(true);
}

TEST_F(GdiWindow, BitmapBeingDrawnIntoCanBeCopiedFrom) {
    const std::unique_ptr<Bitmap> offscreen = Bitmap::blank(20, 20);
    const std::unique_ptr<DrawContext> composing = DrawContext::onBitmap(*offscreen);
    composing->fillRect({5, 5, 10, 10}, kRed);
    openChild();
    drawNow([&](DrawContext& context) { context.blit(*offscreen, {0, 0, 20, 20}, {0, 0}); });
    EXPECT_EQ(host->pixel(0, 0), kBlack);
    EXPECT_EQ(host->pixel(5, 5), kRed);
}

TEST_F(GdiWindow, TextStaysInsideItsBox) {
    openChild();
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
    for (int32_t y = 10; y < 50; ++y)
        for (int32_t x = 10; x < 130; ++x) {
            const bool dark = host->pixel(x, y).red < 128;
            const bool inBox = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
            (inBox ? inside : outside) += dark;
        }
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);
}

TEST_F(GdiWindow, ButtonPressReachesTheOwnerWhileTheLiveStateShowsIt) {
    openChild();
    host->setLeftButton({30, 40}, true);
    ASSERT_EQ(events.presses.size(), 1u);
    EXPECT_EQ(events.presses[0].x, 30);
    EXPECT_EQ(events.presses[0].y, 40);
    EXPECT_EQ(events.buttonsAtPress[0], kButtonLeft);
    EXPECT_EQ(child->pointerPosition().x, 30);
    EXPECT_EQ(child->pointerPosition().y, 40);
    host->setLeftButton({30, 40}, false);
    EXPECT_EQ(child->mouseButtons(), 0);
}

// With swapped buttons the physical left button is the logical right one: the window gets a
// right-button press and the live state reports the right button.
TEST_F(GdiWindow, SwappedMouseButtonsAreReportedAsTheUserSeesThem) {
    const bool wasSwapped = win32::swapMouseButtons(true);
    openChild(); // the class registration reads the setting
    host->setLeftButton({30, 40}, true);
    const std::vector<int32_t> buttons = events.buttonsAtPress;
    host->setLeftButton({30, 40}, false);
    win32::swapMouseButtons(wasSwapped);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0], kButtonRight);
}

} // namespace
} // namespace miral::platform
