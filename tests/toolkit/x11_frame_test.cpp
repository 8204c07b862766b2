// The frame in a real X11 child window. Without a display the test starts its own Xvfb.
#include "test_support/host_window.h"
#include "test_support/toolkit_fixtures.h"
#include "toolkit/image.h"
#include "toolkit/on_off_button.h"

#include "test_support/polling.h"
#include "test_support/private_x_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace miral::toolkit::testing {
namespace {

using miral::testing::PrivateXServer;

CRgb panel(int32_t x, int32_t y) {
    return {uint8_t(x), uint8_t(y), uint8_t(x ^ y), 0};
}

// The same picture in any parent window: a patterned background and one switch.
struct PanelFrame {
    explicit PanelFrame(void* parent) : frame(new CFrame({0, 0, 420, 290}, parent, &editor)) {
        CImage* background = new CImage(128);
        frame->setBackground(background);
        background->forget();
        CImage* strip = new CImage(146);
        button = new COnOffButton({22, 19, 86, 40}, nullptr, 3, strip);
        strip->forget();
        frame->addView(button);
    }
    ~PanelFrame() { delete frame; }

    /// Idles the frame until `done` holds.
    template <typename Condition> bool idleUntil(Condition done) {
        return miral::testing::repeatUntil([this] { frame->idle(); }, done);
    }

    /// Idles the frame until it has been painted once (the window system reports exposure
    /// asynchronously).
    bool idleUntilPainted() {
        return idleUntil([this] { return !frame->isFirstDrawPending(); });
    }

    StubEditor editor;
    CFrame* frame;
    COnOffButton* button;
};

struct X11FrameTest : ::testing::Test {
    void SetUp() override {
        if (!server.ensureDisplay())
            GTEST_SKIP() << "no X display and no Xvfb";
        host = platform::HostWindow::open(420, 290);
        ASSERT_NE(host, nullptr);
    }

    RegisteredBitmap background{128, makeBmp24(420, 290, panel)};
    RegisteredBitmap strip{
        146, makeBmp24(64, 42, [](int32_t, int32_t y) { return y < 21 ? kRedCRgb : kGreenCRgb; })};
    PrivateXServer server;
    std::unique_ptr<platform::HostWindow> host;
};

TEST_F(X11FrameTest, ShowsThePictureTheHeadlessFrameDraws) {
    PanelFrame onScreen(host->handle());
    ASSERT_TRUE(onScreen.frame->isOpen());
    ASSERT_TRUE(onScreen.idleUntilPainted());

    platform::HeadlessScreen screen(420, 290);
    PanelFrame headless(screen.handle());
    headless.frame->idle();

    // The window system shows the window's pixels asynchronously (a second exposure may
    // repaint it): wait until the screen shows the picture.
    const auto firstDifference = [&]() -> std::string {
        for (int32_t y = 0; y < 290; y += 13)
            for (int32_t x = 0; x < 420; x += 11)
                if (host->pixel(x, y) != screen.pixel(x, y))
                    return std::to_string(x) + ", " + std::to_string(y);
        return {};
    };
    EXPECT_TRUE(onScreen.idleUntil([&] { return firstDifference().empty(); }))
        << "first difference at " << firstDifference();
    EXPECT_EQ(host->pixel(30, 25), (platform::Rgb{255, 0, 0}));
}

TEST_F(X11FrameTest, TakesAClickThatEndedBeforeTheEditorWasIdled) {
    PanelFrame onScreen(host->handle());
    ASSERT_TRUE(onScreen.idleUntilPainted());

    host->click({30, 25});
    EXPECT_TRUE(onScreen.idleUntil([&] { return onScreen.button->getValue() != 0.0f; }));
    EXPECT_EQ(onScreen.button->getValue(), 1.0f);
    onScreen.frame->idle();
    EXPECT_EQ(host->pixel(30, 25), (platform::Rgb{0, 255, 0}));
}

TEST_F(X11FrameTest, ClosesQuietlyAfterTheHostDestroyedItsWindow) {
    PanelFrame onScreen(host->handle());
    ASSERT_TRUE(onScreen.idleUntilPainted());
    host.reset();
    EXPECT_TRUE(onScreen.idleUntil([&] { return !onScreen.frame->isOpen(); }));
}

} // namespace
} // namespace miral::toolkit::testing
