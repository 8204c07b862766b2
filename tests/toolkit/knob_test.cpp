#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/image.h"
#include "toolkit/knob.h"

#include <gtest/gtest.h>

namespace miral::toolkit::testing {
namespace {

constexpr CBox kKnobBox{38, 51, 72, 85}; // 34 x 34: radius 17
constexpr int32_t kTag = 8;

CPos knobPoint(int32_t x, int32_t y) {
    return {kKnobBox.left + x, kKnobBox.top + y};
}
platform::Point onScreen(CPos point) {
    return {point.x, point.y};
}

struct KnobTest : ::testing::Test {
    KnobTest() {
        face = new CImage(130);
        dot = new CImage(129);
        knob = new CKnob(kKnobBox, &listener, kTag, face, dot, {0, 0});
        face->forget();
        dot->forget();
        frame.frame->addView(knob);
        show(0.5f);
    }

    /// Sets the value and lets the frame draw it, as the editor does after a host change.
    void show(float value) {
        knob->setValue(value);
        frame.frame->idle();
    }

    /// Presses at the knob's top and moves through the steps; the script ends the drag.
    void dragFrom(CPos start, std::initializer_list<platform::HeadlessScreen::Step> steps,
                  int32_t buttons = platform::kButtonLeft) {
        for (const auto& step : steps)
            frame.screen.queue(step);
        frame.screen.press({start.x, start.y}, buttons);
    }

    static platform::HeadlessScreen::Step at(CPos where, int32_t buttons = platform::kButtonLeft) {
        return {{where.x, where.y}, buttons};
    }

    RegisteredBitmap faceBitmap = solidBitmap(130, 34, 34, kBlueCRgb);
    RegisteredBitmap dotBitmap{129, makeBmp24(4, 4, [](int32_t x, int32_t y) {
                                   const bool corner = (x == 0 || x == 3) && (y == 0 || y == 3);
                                   return corner ? kWhiteCRgb : kRedCRgb;
                               })};
    HeadlessFrame frame;
    RecordingListener listener;
    CImage* face;
    CImage* dot;
    CKnob* knob;
};

TEST_F(KnobTest, PutsTheHandleDotAtTheTopForTheMiddleValue) {
    CPos centre;
    knob->valueToPoint(centre);
    EXPECT_EQ(centre, (CPos{17, 4}));

    // The 4 x 4 dot's top-left corner is at (15, 2) of the knob; its white corners are left out.
    EXPECT_EQ(frame.pixel(kKnobBox.left + 16, kKnobBox.top + 2), kRedCRgb);
    EXPECT_EQ(frame.pixel(kKnobBox.left + 15, kKnobBox.top + 3), kRedCRgb);
    EXPECT_EQ(frame.pixel(kKnobBox.left + 15, kKnobBox.top + 2), kBlueCRgb);
    EXPECT_EQ(frame.pixel(kKnobBox.left + 19, kKnobBox.top + 3), kBlueCRgb);
    EXPECT_EQ(frame.pixel(kKnobBox.left + 17, kKnobBox.top + 10), kBlueCRgb);
}

TEST_F(KnobTest, MapsPointsToValuesAroundTheTravelAndItsGap) {
    EXPECT_NEAR(knob->valueFromPoint({17, 0}), 0.5f, 1e-6f);
    EXPECT_NEAR(knob->valueFromPoint({34, 17}), 5.0f / 6.0f, 1e-6f); // right: 3/4 pi from the end
    EXPECT_NEAR(knob->valueFromPoint({0, 17}), 1.0f / 6.0f, 1e-6f);
    EXPECT_NEAR(knob->valueFromPoint({30, 30}), 1.0f, 1e-6f); // lower right: vmax
    EXPECT_EQ(knob->valueFromPoint({18, 34}), 1.0f);          // right half of the gap
    EXPECT_EQ(knob->valueFromPoint({16, 34}), 0.0f);          // left half of the gap

    for (float value : {0.0f, 0.25f, 0.5f, 0.9f}) {
        knob->setValue(value);
        CPos point;
        knob->valueToPoint(point);
        EXPECT_NEAR(knob->valueFromPoint(point), value, 0.05f) << value;
    }
}

TEST_F(KnobTest, LinearDragTakesTwoHundredPixelsForTheWholeRange) {
    frame.editor.knobMode = 2;
    show(0.0f);
    dragFrom(knobPoint(17, 17), {at(knobPoint(17, -83)), at(knobPoint(117, -83))});
    EXPECT_FLOAT_EQ(listener.changes.at(0).value, 0.5f);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_TRUE(listener.changes[0].withPort);
    EXPECT_EQ(frame.editor.begun, std::vector<int32_t>{kTag});
    EXPECT_EQ(frame.editor.ended, std::vector<int32_t>{kTag});
    EXPECT_EQ(frame.frame->getFocusView(), knob);
    EXPECT_EQ(frame.editor.idleCalls, 3); // one per pass of the mouse loop

    dragFrom(knobPoint(17, 17), {at(knobPoint(-33, 67))}); // left and down: 100 pixels
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
}

TEST_F(KnobTest, ShiftInALinearDragContinuesFromTheValueAtThreeHundredPixels) {
    frame.editor.knobMode = 2;
    show(0.0f);
    const int32_t shifted = platform::kButtonLeft | platform::kModifierShift;
    dragFrom(knobPoint(17, 17), {at(knobPoint(17, -23)), at(knobPoint(17, -24), shifted),
                                 at(knobPoint(17, -54), shifted)});
    // 41 pixels at 1/200 (the step that brings Shift still counts at the old rate), then 30
    // more at 1/300.
    EXPECT_NEAR(listener.changes.at(0).value, 0.2f, 1e-6f);
    EXPECT_NEAR(listener.changes.at(1).value, 0.205f, 1e-6f);
    EXPECT_NEAR(knob->getValue(), 0.205f + 30.0f / 300.0f, 1e-6f);
}

TEST_F(KnobTest, AltSwapsTheDragMode) {
    show(0.0f);
    dragFrom(knobPoint(17, 17), {at(knobPoint(17, -83), platform::kButtonLeft)},
             platform::kButtonLeft | platform::kModifierAlt);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f); // linear although the knob mode is circular

    frame.editor.knobMode = 2;
    dragFrom(knobPoint(17, 0), {at(knobPoint(34, 17))},
             platform::kButtonLeft | platform::kModifierAlt);
    EXPECT_NEAR(knob->getValue(), 5.0f / 6.0f, 1e-6f); // circular although the mode is linear
}

TEST_F(KnobTest, CircularDragStaysPinnedAtTheEndItPassedAcrossTheGap) {
    dragFrom(knobPoint(17, 0), {at(knobPoint(34, 17)), at(knobPoint(30, 30)), at(knobPoint(18, 34)),
                                at(knobPoint(16, 34)), at(knobPoint(4, 30)), at(knobPoint(0, 17))});
    ASSERT_GE(listener.changes.size(), 2u);
    EXPECT_NEAR(listener.changes[0].value, 5.0f / 6.0f, 1e-6f);
    for (size_t i = 1; i < listener.changes.size(); ++i)
        EXPECT_NEAR(listener.changes[i].value, 1.0f, 1e-6f) << i;
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
}

TEST_F(KnobTest, ControlClickRestoresTheDefaultValue) {
    show(0.9f);
    frame.screen.press(onScreen(knobPoint(17, 17)),
                       platform::kButtonLeft | platform::kModifierControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_TRUE(frame.editor.begun.empty()); // no gesture
}

TEST_F(KnobTest, IgnoresClicksWhenDisabledOrWithoutTheLeftButton) {
    frame.screen.press(onScreen(knobPoint(17, 17)),
                       platform::kButtonRight | platform::kModifierControl);
    knob->setMouseEnabled(false);
    frame.screen.press(onScreen(knobPoint(17, 17)),
                       platform::kButtonLeft | platform::kModifierControl);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(KnobTest, StepsWithTheWheelAndTheArrowKeys) {
    frame.screen.setPointer(onScreen(knobPoint(5, 5)));
    EXPECT_TRUE(frame.frame->onWheel(2.0f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.7f);
    frame.screen.setPointer(onScreen(knobPoint(5, 5)), platform::kModifierShift);
    EXPECT_TRUE(frame.frame->onWheel(-1.0f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.69f);

    knob->setValue(0.5f);
    EXPECT_EQ(frame.frame->onKeyDown({0, kVirtKeyUp, 0}), 1);
    EXPECT_EQ(frame.frame->onKeyDown({0, kVirtKeyLeft, kKeyModifierShift}), 1);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.59f);
    EXPECT_FALSE(listener.changes.back().withPort);
    EXPECT_EQ(frame.frame->onKeyDown({'a', 0, 0}), -1);

    knob->setValue(0.95f);
    frame.frame->onKeyDown({0, kVirtKeyRight, 0});
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f); // clamped
}

TEST_F(KnobTest, ShowsAValueSetByTheOwnerAtTheNextIdle) {
    knob->setValue(1.0f);
    EXPECT_TRUE(knob->isDirty());
    EXPECT_EQ(frame.pixel(kKnobBox.left + 16, kKnobBox.top + 2), kRedCRgb); // not yet
    frame.frame->idle();
    EXPECT_FALSE(knob->isDirty());
    EXPECT_EQ(frame.pixel(kKnobBox.left + 16, kKnobBox.top + 2), kBlueCRgb);
}

} // namespace
} // namespace miral::toolkit::testing
