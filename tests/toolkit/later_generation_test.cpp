// The later toolkit generation's controls: modifier clicks offered to the listener first, and
// one-click changes (Control-click resets, wheel notches, switch clicks) reported between
// beginEdit and endEdit. The original generation, side by side, does neither.
#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/image.h"
#include "toolkit/knob.h"
#include "toolkit/on_off_button.h"

#include <gtest/gtest.h>

#include <string>

namespace miral::toolkit::testing {
namespace {

constexpr int32_t kKnobTag = 8;
constexpr int32_t kSwitchTag = 3;
constexpr CBox kKnobBox{38, 51, 72, 85};
constexpr CBox kSwitchBox{22, 100, 86, 121};

/// What a listener saw of one change: the value, and whether an edit bracket was open.
struct SeenChange {
    int32_t tag;
    float value;
    bool insideEdit;
};

/// Records changes with the edit state of the frame's editor, and takes modifier clicks when
/// told to.
struct BracketListener final : CValueListener {
    explicit BracketListener(const StubEditor& frameEditor) : editor(frameEditor) {}

    void onValueChange(CDrawPort*, CControl* control) override {
        changes.push_back({control->getTag(), control->getValue(),
                           editor.begun.size() == editor.ended.size() + 1});
    }
    bool onModifierClick(CDrawPort&, CControl* control, int32_t buttons) override {
        offered.push_back({control->getTag(), buttons});
        return takesModifierClicks;
    }

    const StubEditor& editor;
    bool takesModifierClicks = false;
    std::vector<SeenChange> changes;
    std::vector<std::pair<int32_t, int32_t>> offered;
};

class Generations : public ::testing::TestWithParam<ToolkitGeneration> {
protected:
    Generations() {
        auto* face = new CImage(130);
        knob = new CKnob(kKnobBox, &listener, kKnobTag, face, nullptr, {0, 0});
        face->forget();
        frame.frame->addView(knob);
        auto* strip = new CImage(146);
        button = new COnOffButton(kSwitchBox, &listener, kSwitchTag, strip);
        strip->forget();
        frame.frame->addView(button);
    }

    bool later() const { return GetParam() == ToolkitGeneration::kLater; }
    void pressKnob(int32_t buttons) { frame.screen.press({55, 53}, buttons); }
    void pressSwitch(int32_t buttons) { frame.screen.press({30, 105}, buttons); }

    RegisteredBitmap faceBitmap = solidBitmap(130, 34, 34, kBlueCRgb);
    RegisteredBitmap stripBitmap = solidBitmap(146, 64, 42, kGreenCRgb);
    HeadlessFrame frame{420, 290, GetParam()};
    BracketListener listener{frame.editor};
    CKnob* knob;
    COnOffButton* button;
};

TEST_P(Generations, ControlClickOnAKnobRestoresTheDefaultAsAnEditOnlyInTheLaterOne) {
    knob->setValue(0.9f);
    pressKnob(platform::kButtonLeft | platform::kModifierControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].insideEdit, later());
    EXPECT_EQ(frame.editor.begun.size(), later() ? 1u : 0u);
    EXPECT_EQ(frame.editor.begun, frame.editor.ended);
    EXPECT_EQ(listener.offered.size(), later() ? 1u : 0u) << "offered to the listener first";
}

TEST_P(Generations, AListenerTakingModifierClicksKeepsThemFromKnobAndSwitch) {
    listener.takesModifierClicks = true;
    knob->setValue(0.9f);
    for (int32_t modifier :
         {platform::kModifierShift, platform::kModifierControl, platform::kModifierAlt}) {
        pressKnob(platform::kButtonLeft | modifier);
        pressSwitch(platform::kButtonLeft | modifier);
    }
    if (later()) {
        EXPECT_FLOAT_EQ(knob->getValue(), 0.9f);
        EXPECT_EQ(button->getValue(), 0.0f);
        EXPECT_TRUE(listener.changes.empty());
        EXPECT_TRUE(frame.editor.begun.empty());
        ASSERT_EQ(listener.offered.size(), 6u);
        EXPECT_EQ(listener.offered[0], std::make_pair(kKnobTag, kLButton | kShift));
        EXPECT_EQ(listener.offered[5], std::make_pair(kSwitchTag, kLButton | kAlt));
    } else {
        EXPECT_FLOAT_EQ(knob->getValue(), 0.5f) << "the Control-click reset";
        EXPECT_EQ(button->getValue(), 1.0f) << "three toggles";
        EXPECT_TRUE(listener.offered.empty());
    }
}

TEST_P(Generations, APlainClickIsNeverOfferedAndAnUntakenModifierClickStillWorks) {
    pressSwitch(platform::kButtonLeft);
    pressSwitch(platform::kButtonLeft | platform::kModifierShift);
    EXPECT_EQ(button->getValue(), 0.0f) << "toggled twice";
    ASSERT_EQ(listener.changes.size(), 2u);
    for (const SeenChange& change : listener.changes)
        EXPECT_EQ(change.insideEdit, later());
    EXPECT_EQ(listener.offered.size(), later() ? 1u : 0u);

    // A Shift drag on the knob goes on after the listener declined the click.
    listener.changes.clear();
    frame.screen.queue({{55, 40}, platform::kButtonLeft | platform::kModifierShift});
    pressKnob(platform::kButtonLeft | platform::kModifierShift);
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_TRUE(listener.changes[0].insideEdit) << "a drag is an edit in both";
}

TEST_P(Generations, WheelNotchesAreEditsOnlyInTheLaterOne) {
    frame.screen.setPointer({55, 60});
    EXPECT_TRUE(frame.frame->onWheel(1.0f));
    EXPECT_TRUE(frame.frame->onWheel(-2.0f));
    EXPECT_FLOAT_EQ(knob->getValue(), 0.0f) << "0.1, then down two notches to the minimum";
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_FLOAT_EQ(listener.changes[0].value, 0.1f);
    for (const SeenChange& change : listener.changes)
        EXPECT_EQ(change.insideEdit, later());
    const std::vector<int32_t> expected =
        later() ? std::vector<int32_t>{kKnobTag, kKnobTag} : std::vector<int32_t>{};
    EXPECT_EQ(frame.editor.begun, expected);
    EXPECT_EQ(frame.editor.ended, expected);
}

std::string generationName(const ::testing::TestParamInfo<ToolkitGeneration>& tested) {
    return tested.param == ToolkitGeneration::kLater ? "Later" : "Original";
}

INSTANTIATE_TEST_SUITE_P(Toolkit, Generations,
                         ::testing::Values(ToolkitGeneration::kOriginal, ToolkitGeneration::kLater),
                         generationName);

} // namespace
} // namespace miral::toolkit::testing
