// The editor driven as a host drives it: through the effect's record, open on a headless
// screen, with scripted mouse gestures and a test clock.

#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "engine/params.h"
#include "response_display.h"
#include "toolkit/key_code.h"
#include "toolkit/knob.h"
#include "toolkit/splash_screen.h"
#include "value_text.h"

#include <gtest/gtest.h>

#include <string>

namespace miral::editor::testing {
namespace {

using toolkit::CBox;
using toolkit::CControl;
using toolkit::CPos;
using toolkit::CRgb;

constexpr CRgb kDotCore{255, 208, 122, 0};   // the knob handle's middle
constexpr CRgb kHandleLine{238, 166, 60, 0}; // the slider handle's middle row
constexpr CRgb kAboutBorder{238, 166, 60, 0};
constexpr int32_t kGain3 = 8;

struct EqEditorTest : ::testing::Test, EditorTest {
    CControl& control(int32_t index) const {
        CControl* found = editor().controlFor(index);
        EXPECT_NE(found, nullptr) << "no control for " << index;
        return *found;
    }

    /// The middle pixel of the knob's handle dot, where its value puts it.
    CRgb dotPixel(int32_t index) const {
        auto& knob = static_cast<toolkit::CKnob&>(control(index));
        CPos centre;
        knob.valueToPoint(centre);
        const CBox box = knob.getViewSize();
        return pixel(box.left + centre.x - 1, box.top + centre.y - 1);
    }

    /// The middle row of a slider's handle, where its value puts it.
    CRgb sliderHandlePixel(const SliderPlace& slider) const {
        const float value = control(slider.tag).getValue();
        const int32_t travel = kSliderLowestHandleTop - slider.box.top;
        const int32_t top =
            slider.box.top + static_cast<int32_t>((1.0f - value) * static_cast<float>(travel));
        return pixel(slider.box.left + kSliderHandleOffset.x + 4, top + 2);
    }

    /// The red of the middle of a band switch's lamp: bright when lit.
    int32_t lampRed(int32_t band) const {
        const CBox& box = kSwitches[size_t(band)].box;
        return pixel(box.left + 10, box.top + 9).red;
    }

    std::vector<float> controlValues() const {
        std::vector<float> values;
        for (int32_t index = 0; index < kNumParams; ++index)
            if (CControl* found = editor().controlFor(index))
                values.push_back(found->getValue());
        return values;
    }

    std::vector<CControl*> allControls() const {
        std::vector<CControl*> controls{editor().responseDisplay()};
        for (int32_t index = 0; index < kNumParams; ++index)
            if (CControl* found = editor().controlFor(index))
                controls.push_back(found);
        return controls;
    }
};

TEST_F(EqEditorTest, ReportsThePanelSizeBeforeOpening) {
    EXPECT_EQ(record->flags & effFlagsHasEditor, effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 420);
    EXPECT_EQ(rect->bottom - rect->top, 290);
    EXPECT_FALSE(editor().isOpen());
}

TEST_F(EqEditorTest, OpensWithEveryControlAtTheEffectsValues) {
    dispatch(effSetProgram, 0, 8); // "08 - Contour": values away from the middle
    hostSets(7, 0.0f);             // band 2 off
    open();
    ASSERT_TRUE(editor().isOpen());
    for (int32_t index = 0; index < kNumParams; ++index) {
        if (index == toIndex(ParamId::Q1) || index == toIndex(ParamId::Q6)) {
            EXPECT_EQ(editor().controlFor(index), nullptr);
            continue;
        }
        EXPECT_EQ(control(index).getValue(), record->getParameter(record, index)) << index;
        EXPECT_FALSE(control(index).isDirty()) << index << " drawn at the first idle";
    }
    EXPECT_EQ(control(toIndex(ParamId::GainRange)).getValue(), 1.0f);
    EXPECT_EQ(control(toIndex(ParamId::OutputGain)).getValue(), 0.5f);

    for (const KnobPlace& knob : kKnobs)
        EXPECT_EQ(dotPixel(knob.tag), kDotCore) << "knob " << knob.tag;
    EXPECT_EQ(sliderHandlePixel(kRangeSlider), kHandleLine);
    EXPECT_EQ(sliderHandlePixel(kOutputSlider), kHandleLine);
    EXPECT_GT(lampRed(0), 200) << "band 1 lit";
    EXPECT_LT(lampRed(1), 120) << "band 2 dark";
}

TEST_F(EqEditorTest, SlidersShowValuesTheHostSetBeforeOpening) {
    hostSets(toIndex(ParamId::GainRange), 0.25f);
    hostSets(toIndex(ParamId::OutputGain), 0.0f);
    open();
    EXPECT_EQ(control(toIndex(ParamId::GainRange)).getValue(), 0.25f);
    EXPECT_EQ(control(toIndex(ParamId::OutputGain)).getValue(), 0.0f);
    EXPECT_EQ(sliderHandlePixel(kRangeSlider), kHandleLine);
    EXPECT_EQ(sliderHandlePixel(kOutputSlider), kHandleLine);
}

TEST_F(EqEditorTest, FollowsHostAutomationAtTheNextIdle) {
    open();
    const CBox gain3{166, 51, 200, 85};
    const auto knobBefore = pixels(gain3);
    const auto sliderBefore = pixels(kRangeSlider.box);

    hostSets(kGain3, 0.9f);
    hostSets(toIndex(ParamId::GainRange), 0.0f);
    EXPECT_EQ(pixels(gain3), knobBefore) << "nothing drawn before the idle";
    EXPECT_TRUE(editor().hasHostChange());

    idle();
    EXPECT_EQ(control(kGain3).getValue(), 0.9f);
    EXPECT_NE(pixels(gain3), knobBefore);
    EXPECT_EQ(dotPixel(kGain3), kDotCore);
    EXPECT_NE(pixels(kRangeSlider.box), sliderBefore);
    EXPECT_EQ(sliderHandlePixel(kRangeSlider), kHandleLine);
    EXPECT_TRUE(callsOf(audioMasterAutomate).empty()) << "a host change is not reported back";

    dispatch(effSetProgram, 0, 6); // "06 - Pump up da bass"
    idle();
    for (int32_t index = 0; index < kNumParams; ++index) {
        if (CControl* found = editor().controlFor(index)) {
            EXPECT_EQ(found->getValue(), record->getParameter(record, index)) << index;
        }
    }
}

TEST_F(EqEditorTest, ChangesWithoutAControlStillRedrawEverythingOnTheIdleAfter) {
    open();
    for (int32_t index : {toIndex(ParamId::Q1), toIndex(ParamId::Q6)}) {
        const auto values = controlValues();
        hostSets(index, 0.9f);
        EXPECT_EQ(controlValues(), values) << index;
        EXPECT_TRUE(editor().hasHostChange());

        idle();
        EXPECT_FALSE(editor().hasHostChange());
        for (CControl* control : allControls())
            EXPECT_TRUE(control->isDirty()) << "tag " << control->getTag();
        idle();
        for (CControl* control : allControls())
            EXPECT_FALSE(control->isDirty()) << "tag " << control->getTag();
    }
}

TEST_F(EqEditorTest, DraggingAKnobAutomatesEveryChangeAndShowsTheValue) {
    open();
    // Gain 3's centre is (183, 68). Press on the dot at the top (0.5) and move clockwise: to
    // 45 degrees, further out on the same angle (the same value), to 0 degrees, and stay.
    for (CPos step : {CPos{189, 62}, CPos{193, 58}, CPos{191, 68}, CPos{191, 68}})
        screen.queue({{step.x, step.y}, platform::kButtonLeft});
    screen.press({183, 56});

    const auto automated = callsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 2u);
    EXPECT_EQ(automated[0].index, kGain3);
    EXPECT_NEAR(automated[0].value, 0.5f + 1.0f / 6.0f, 1e-5f);
    EXPECT_NEAR(automated[1].value, 0.5f + 2.0f / 6.0f, 1e-5f);
    EXPECT_EQ(callsOf(audioMasterBeginEdit).size(), 1u);
    EXPECT_EQ(callsOf(audioMasterEndEdit).size(), 1u);

    const float value = control(kGain3).getValue();
    EXPECT_EQ(record->getParameter(record, kGain3), value);
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), valueText(kGain3, value));
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), "10.7dB");
    EXPECT_FALSE(editor().hasHostChange()) << "an edit in the editor needs no full redraw";
    EXPECT_EQ(dotPixel(kGain3), kDotCore) << "the knob is drawn during the drag";
}

TEST_F(EqEditorTest, ClickingASwitchTurnsItsBandOff) {
    open();
    const CBox& band4 = kSwitches[3].box;
    screen.press({band4.left + 30, band4.top + 10});
    const auto automated = callsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, 15);
    EXPECT_EQ(automated[0].value, 0.0f);
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), "OFF");
    idle();
    EXPECT_LT(lampRed(3), 120);
}

TEST_F(EqEditorTest, ArrowKeysStepTheLastControlThatTakesKeys) {
    open();
    EXPECT_EQ(dispatch(effEditKeyDown, 0, toolkit::kVirtKeyUp), 1);
    const auto automated = callsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, toIndex(ParamId::Q5)) << "the last knob added";
    EXPECT_NEAR(automated[0].value, 0.6f, 1e-6f);
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), "4.0");

    constexpr float kShift = 1.0f;
    dispatch(effEditKeyDown, 0, toolkit::kVirtKeyLeft, nullptr, kShift);
    EXPECT_NEAR(control(toIndex(ParamId::Q5)).getValue(), 0.59f, 1e-6f);
    idle();
    EXPECT_EQ(dotPixel(toIndex(ParamId::Q5)), kDotCore);
}

TEST_F(EqEditorTest, ClickingTheLogoShowsTheAboutImageAndSetsNoParameter) {
    open();
    editor().responseDisplay()->setText("8.0dB");
    screen.press({200, 10});
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), "");
    EXPECT_EQ(editor().aboutArea()->getValue(), 1.0f);
    EXPECT_EQ(pixel(0, 0), kAboutBorder);
    EXPECT_EQ(pixel(kAboutImageWidth - 1, kAboutImageHeight - 1), kAboutBorder);

    screen.press({183, 68}); // on a knob: hides the image instead
    EXPECT_EQ(editor().aboutArea()->getValue(), 0.0f);
    EXPECT_NE(pixel(0, 0), kAboutBorder);
    EXPECT_TRUE(callsOf(audioMasterAutomate).empty());
    EXPECT_EQ(control(kGain3).getValue(), 0.5f);
}

TEST_F(EqEditorTest, ReopensWithTheValuesSetWhileClosed) {
    open();
    dispatch(effEditClose);
    EXPECT_FALSE(editor().isOpen());
    EXPECT_EQ(editor().controlFor(0), nullptr);
    hostSets(0, 0.1f);
    dispatch(effEditIdle);
    EXPECT_FALSE(editor().hasHostChange());

    open();
    EXPECT_EQ(control(0).getValue(), 0.1f);
    EXPECT_EQ(dotPixel(0), kDotCore);
}

} // namespace
} // namespace miral::editor::testing
