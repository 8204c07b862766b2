#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/image.h"
#include "toolkit/on_off_button.h"
#include "toolkit/slider.h"
#include "toolkit/splash_screen.h"

#include <gtest/gtest.h>

namespace miral::toolkit::testing {
namespace {

struct ControlsTest : ::testing::Test {
    HeadlessFrame frame;
    RecordingListener listener;
};

// --- Switch

struct SwitchTest : ControlsTest {
    SwitchTest() {
        CImage* strip = new CImage(146);
        button = new COnOffButton({22, 19, 86, 40}, &listener, 3, strip);
        strip->forget(); // the switch keeps its own reference
        frame.frame->addView(button);
    }
    RegisteredBitmap stripBitmap{
        146, makeBmp24(64, 42, [](int32_t, int32_t y) { return y < 21 ? kRedCRgb : kGreenCRgb; })};
    COnOffButton* button;
};

TEST_F(SwitchTest, TogglesFromAnyValueBelowOneToOneThenToZero) {
    button->setValue(0.5f);
    frame.screen.press({30, 25});
    EXPECT_EQ(button->getValue(), 1.0f);
    frame.screen.press({30, 25});
    EXPECT_EQ(button->getValue(), 0.0f);
    frame.screen.press({30, 25});
    EXPECT_EQ(button->getValue(), 1.0f);
    ASSERT_EQ(listener.changes.size(), 3u);
    EXPECT_EQ(listener.changes[0].tag, 3);
    EXPECT_EQ(frame.editor.idleCalls, 3);
}

TEST_F(SwitchTest, ShowsTheUpperHalfOfItsStripWhenOffAndTheLowerWhenOn) {
    frame.frame->idle();
    EXPECT_EQ(frame.pixel(22, 19), kRedCRgb);
    EXPECT_EQ(frame.pixel(85, 39), kRedCRgb);
    EXPECT_EQ(frame.pixel(86, 39), kBlackCRgb);
    button->setValue(0.5f); // any value but 0 shows on
    frame.frame->idle();
    EXPECT_EQ(frame.pixel(22, 19), kGreenCRgb);
    EXPECT_EQ(frame.pixel(22, 40), kBlackCRgb);
}

// --- Slider

struct SliderTest : ControlsTest {
    SliderTest() {
        CImage* handle = new CImage(153);
        CImage* track = new CImage(154);
        slider = new CSlider({375, 221, 387, 268}, &listener, 24, 221, 262, handle, track, {0, 0},
                             kTop | kVertical);
        handle->forget();
        track->forget();
        frame.frame->addView(slider);
        slider->setOffsetHandle({1, 0});
    }
    RegisteredBitmap trackBitmap = solidBitmap(154, 12, 47, kBlueCRgb);
    RegisteredBitmap handleBitmap = solidBitmap(153, 10, 5, kYellowCRgb);
    CSlider* slider;
};

TEST_F(SliderTest, TurnsAClickIntoAValueGrowingUpward) {
    const struct {
        int32_t y;
        float value;
    } clicks[] = {{222, 1.0f}, {263, 0.0f}, {242, 1.0f - 20.0f / 41.0f}, {221, 1.0f}, {267, 0.0f}};
    for (const auto& click : clicks) {
        slider->setValue(0.5f);
        frame.screen.press({380, click.y});
        EXPECT_FLOAT_EQ(slider->getValue(), click.value) << click.y;
    }
    EXPECT_EQ(frame.editor.begun.size(), 5u);
    EXPECT_EQ(frame.editor.ended.size(), 5u);
    EXPECT_EQ(frame.frame->getFocusView(), slider);
}

TEST_F(SliderTest, FollowsTheDragAndSlowsDownWithShift) {
    slider->setValue(0.0f);
    frame.screen.queue({{380, 222}, platform::kButtonLeft});
    frame.screen.queue({{380, 263}, platform::kButtonLeft | platform::kModifierShift});
    frame.screen.press({380, 263});
    // From 1.0, Shift turns the full 41-pixel travel into a tenth.
    EXPECT_FLOAT_EQ(slider->getValue(), 0.9f);
}

TEST_F(SliderTest, ControlClickRestoresTheDefault) {
    slider->setValue(1.0f);
    frame.screen.press({380, 260}, platform::kButtonLeft | platform::kModifierControl);
    EXPECT_FLOAT_EQ(slider->getValue(), 0.5f);
    EXPECT_TRUE(frame.editor.begun.empty());
}

TEST_F(SliderTest, DrawsTheHandleAtTheTopForOneAndFortyOnePixelsLowerForZero) {
    slider->setValue(1.0f);
    frame.frame->idle();
    EXPECT_EQ(frame.pixel(376, 221), kYellowCRgb);
    EXPECT_EQ(frame.pixel(385, 225), kYellowCRgb);
    EXPECT_EQ(frame.pixel(375, 221), kBlueCRgb);
    EXPECT_EQ(frame.pixel(376, 226), kBlueCRgb);

    slider->setValue(0.0f);
    frame.frame->idle();
    EXPECT_EQ(frame.pixel(376, 221), kBlueCRgb);
    EXPECT_EQ(frame.pixel(376, 262), kYellowCRgb);
    EXPECT_EQ(frame.pixel(376, 266), kYellowCRgb);
    EXPECT_EQ(frame.pixel(376, 261), kBlueCRgb);
}

TEST_F(SliderTest, StepsWithTheArrowKeysAndReportsWithoutAPort) {
    slider->setValue(0.5f);
    EXPECT_EQ(slider->onKeyDown({0, kVirtKeyDown, 0}), 1);
    EXPECT_FLOAT_EQ(slider->getValue(), 0.4f);
    EXPECT_FALSE(listener.changes.back().withPort);
}

// --- Splash

struct SplashTest : ControlsTest {
    SplashTest() {
        CImage* panel = new CImage(128);
        frame.frame->setBackground(panel);
        panel->forget();
        CImage* image = new CImage(157);
        splash =
            new CSplashScreen({177, 5, 254, 16}, &listener, 156, image, {0, 0, 420, 290}, {0, 0});
        image->forget();
        frame.frame->addView(splash);
    }
    RegisteredBitmap panelBitmap = solidBitmap(128, 420, 290, kGreyCRgb);
    RegisteredBitmap about = solidBitmap(157, 211, 46, kMagentaCRgb);
    CSplashScreen* splash;
};

TEST_F(SplashTest, ShowsItsImageAsTheModalViewUntilTheNextClickAnywhere) {
    auto* beneath = new ColourView({300, 200, 400, 280}, kRedCRgb);
    frame.frame->addView(beneath); // added last: on top of the splash's click area
    frame.frame->idle();
    EXPECT_EQ(frame.pixel(10, 10), kGreyCRgb);

    frame.screen.press({200, 10});
    EXPECT_EQ(splash->getValue(), 1.0f);
    EXPECT_EQ(frame.frame->getModalView(), splash);
    EXPECT_EQ(frame.pixel(10, 10), kMagentaCRgb);
    EXPECT_EQ(frame.pixel(211, 10), kGreyCRgb); // outside the image the frame shows through

    frame.screen.press({350, 250}); // on the other view: the splash takes it
    EXPECT_EQ(beneath->clicks, 0);
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(frame.frame->getModalView(), nullptr);
    EXPECT_EQ(splash->getViewSize(), (CBox{177, 5, 254, 16}));
    EXPECT_EQ(frame.pixel(10, 10), kGreyCRgb);
    EXPECT_EQ(frame.pixel(350, 250), kRedCRgb);
    EXPECT_EQ(listener.changes.size(), 2u);

    frame.screen.press({350, 250});
    EXPECT_EQ(beneath->clicks, 1);
}

TEST_F(SplashTest, ASecondSplashCannotBecomeModalAndKeepsItsOwnArea) {
    auto* second =
        new CSplashScreen({0, 280, 10, 290}, &listener, 7, nullptr, {0, 0, 420, 290}, {0, 0});
    frame.frame->addView(second);
    ASSERT_TRUE(frame.frame->setModalView(splash));
    {
        auto context = frame.frame->getWindow()->drawContext();
        CDrawPort port(*context, frame.frame);
        frame.screen.setPointer({5, 285}, platform::kButtonLeft);
        second->mouse(port, {5, 285});
    }
    EXPECT_EQ(second->getValue(), 1.0f);
    EXPECT_TRUE(second->isDirty());
    EXPECT_TRUE(listener.changes.empty());

    ASSERT_TRUE(frame.frame->setModalView(nullptr));
    frame.screen.press({5, 285}); // hides the second splash, which never covered the frame
    EXPECT_EQ(second->getValue(), 0.0f);
    EXPECT_EQ(second->getViewSize(), (CBox{0, 280, 10, 290}));

    ASSERT_TRUE(frame.frame->setModalView(splash));
    second->unSplash();
    EXPECT_EQ(frame.frame->getModalView(), splash); // not released by another splash
}

TEST_F(SplashTest, UnSplashHidesTheImageAndReleasesTheFrame) {
    frame.frame->idle();
    frame.screen.press({200, 10});
    splash->unSplash();
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(frame.frame->getModalView(), nullptr);
    EXPECT_EQ(frame.pixel(10, 10), kGreyCRgb);
}

} // namespace
} // namespace miral::toolkit::testing
