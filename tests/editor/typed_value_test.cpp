// Typed values in the editor: the text a value field opens with and what typed text sets, for
// each kind of parameter; the field opened by a double-click, typed into with the host's keys or
// the window's own, applied as one edit or abandoned with nothing changed; and the picture it
// leaves behind.

#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "engine/physical_units.h"
#include "response_display.h"
#include "toolkit/frame.h"
#include "toolkit/key_code.h"
#include "toolkit/text_field.h"
#include "value_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace miral::editor::testing {
namespace {

using toolkit::CBox;
using toolkit::CPos;

constexpr int32_t kGain3 = toIndex(ParamId::Gain3);
constexpr int32_t kFreq3 = toIndex(ParamId::Freq3);
constexpr int32_t kQ3 = toIndex(ParamId::Q3);
constexpr int32_t kRange = toIndex(ParamId::GainRange);
constexpr int32_t kOutput = toIndex(ParamId::OutputGain);
constexpr CPos kGain3Centre{183, 68};

struct Typed {
    int32_t tag;
    const char* text;
    std::optional<float> physical; ///< what it sets, in the unit; none: refused
};

TEST(TypedValue, ReadsWhatTheCommandReadsAndLimitsItToTheRange) {
    const Typed cases[] = {
        {kGain3, "3.5", 3.5f},
        {kGain3, "+3.5 dB", 3.5f},
        {kGain3, "-12dB", -12.0f},
        {kGain3, " 2.25 DB ", 2.25f},
        {kGain3, "40 dB", 16.0f},
        {kGain3, "-1e9", -16.0f},
        {kFreq3, "1k", 1000.0f},
        {kFreq3, "1.2 kHz", 1200.0f},
        {kFreq3, "440", 440.0f},
        {kFreq3, "300 hz", 300.0f},
        {kFreq3, "0", 40.0f},
        {kFreq3, "1e9", 16000.0f},
        {kQ3, "2", 2.0f},
        {kQ3, "0.1", 1.0f},
        {kRange, "0.5", 0.5f},
        {kRange, "2", 1.0f},
        {kOutput, "-3 dB", -3.0f},
        {kOutput, "+20", 6.0f},
        {kGain3, "", std::nullopt},
        {kGain3, "abc", std::nullopt},
        {kGain3, "3 Hz", std::nullopt},
        {kGain3, "3.5 dB!", std::nullopt},
        {kFreq3, "1 kdB", std::nullopt},
        {kQ3, "2 dB", std::nullopt},
        {kRange, "half", std::nullopt},
        {toIndex(ParamId::Q1), "2", std::nullopt},
        {kDisplayTag, "2", std::nullopt},
    };
    for (const Typed& typed : cases) {
        const std::optional<float> value = typedValue(typed.tag, typed.text);
        ASSERT_EQ(value.has_value(), typed.physical.has_value())
            << "tag " << typed.tag << " \"" << typed.text << "\"";
        if (value) {
            EXPECT_EQ(*value, engineValueOf(typed.tag, *typed.physical))
                << "tag " << typed.tag << " \"" << typed.text << "\"";
            EXPECT_GE(*value, 0.0f);
            EXPECT_LE(*value, 1.0f);
        }
    }
}

struct Shown {
    int32_t tag;
    float value;
    const char* text;
};

TEST(TypedValue, FieldsOpenWithThePhysicalValueInItsUnit) {
    const Shown cases[] = {
        {kGain3, 0.5f, "0.0 dB"},   {kGain3, 0.75f, "+8.0 dB"}, {kGain3, 0.0f, "-16.0 dB"},
        {kFreq3, 0.0f, "40 Hz"},    {kFreq3, 1.0f, "16000 Hz"}, {kQ3, 0.0f, "1.0"},
        {kQ3, 1.0f, "10.0"},        {kRange, 0.5f, "0.5"},      {kOutput, 0.5f, "0.0 dB"},
        {kOutput, 0.0f, "-6.0 dB"}, {kOutput, 1.0f, "+6.0 dB"}, {toIndex(ParamId::Q1), 0.5f, ""},
    };
    for (const Shown& shown : cases)
        EXPECT_EQ(fieldText(shown.tag, shown.value), shown.text)
            << "tag " << shown.tag << " at " << shown.value;
}

TEST(TypedValue, WhatAFieldShowsReadsBackToTheSameText) {
    for (int32_t tag = 0; tag < kNumParams; ++tag) {
        if (!hasControl(tag) || kindOfParam(tag) == BandParamKind::OnOff)
            continue;
        for (const float value : {0.0f, 0.13f, 0.5f, 0.61f, 0.999f, 1.0f}) {
            const std::string shown = fieldText(tag, value);
            const std::optional<float> read = typedValue(tag, shown);
            ASSERT_TRUE(read.has_value()) << "tag " << tag << " \"" << shown << "\"";
            EXPECT_EQ(fieldText(tag, *read), shown) << "tag " << tag;
        }
    }
}

/// The host's key record for a character (effEditKeyDown: character in index, virtual key in
/// value).
struct HostKey {
    int32_t character;
    int32_t virt;
};

struct TypedValueEditorTest : ::testing::Test, EditorTest {
    explicit TypedValueEditorTest(
        toolkit::ToolkitGeneration generation = toolkit::ToolkitGeneration::kOriginal,
        double scale = 1.0)
        : EditorTest(generation, scale), screenScale(scale) {}
    ~TypedValueEditorTest() override { AEffGUIEditor::knobMode = 0; }

    /// The screen pixel of a layout point.
    platform::Point onScreen(CPos layout) const {
        return {static_cast<int32_t>(layout.x * screenScale),
                static_cast<int32_t>(layout.y * screenScale)};
    }
    void doubleClick(CPos layout, int32_t modifiers = 0) {
        screen.press(onScreen(layout), platform::kButtonLeft | modifiers);
        screen.doubleClick(onScreen(layout), platform::kButtonLeft | modifiers);
    }
    /// Types the text with the window's own keys, then Return.
    void typeAndReturn(const std::string& text) {
        for (const char character : text)
            ASSERT_TRUE(screen.type({platform::Key::kNone, character}));
        ASSERT_TRUE(screen.type({platform::Key::kReturn}));
    }
    toolkit::CTextField* field() const { return editor().valueField(); }
    float parameter(int32_t index) const { return record->getParameter(record, index); }
    /// The begin, automate and end calls, in order.
    std::vector<HostCall> editCalls() const {
        std::vector<HostCall> calls;
        for (const HostCall& call : hostCalls())
            if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate ||
                call.opcode == audioMasterEndEdit)
                calls.push_back(call);
        return calls;
    }
    void expectOneEdit(int32_t index, float value) const {
        const std::vector<HostCall> calls = editCalls();
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
        EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
        EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
        for (const HostCall& call : calls)
            EXPECT_EQ(call.index, index);
        EXPECT_EQ(calls[1].value, value);
    }

    double screenScale;
};

TEST_F(TypedValueEditorTest, ADoubleClickOnAKnobOpensItsValueOverTheReadout) {
    AEffGUIEditor::knobMode = toolkit::kLinearKnobMode; // a click without a drag changes nothing
    open();
    doubleClick(kGain3Centre);
    ASSERT_NE(field(), nullptr);
    EXPECT_EQ(editor().valueFieldIndex(), kGain3);
    EXPECT_EQ(field()->getText(), "0.0 dB");
    EXPECT_TRUE(field()->isSelected());
    EXPECT_TRUE(screen.childHasKeyboardFocus()) << "the window takes the keys";
    idle();
    EXPECT_EQ(pixel(kValueFieldBox.left, kValueFieldBox.top), (toolkit::CRgb{0, 0, 0, 0}))
        << "the field's ring";
    EXPECT_EQ(pixel(kValueFieldBox.left + 2, kValueFieldBox.top + 2),
              (toolkit::CRgb{45, 51, 23, 0}))
        << "its selected text";
    EXPECT_TRUE(callsOf(audioMasterAutomate).empty()) << "the first click changed nothing";
}

TEST_F(TypedValueEditorTest, ReturnSetsTheTypedValueAsOneEdit) {
    open();
    doubleClick(kGain3Centre);
    hostCalls().clear();
    typeAndReturn("+3.5 dB");
    EXPECT_EQ(field(), nullptr);
    EXPECT_FALSE(screen.childHasKeyboardFocus()) << "the keys go back";
    const float value = engineValueOf(kGain3, 3.5f);
    expectOneEdit(kGain3, value);
    EXPECT_EQ(parameter(kGain3), value);
    EXPECT_EQ(editor().controlFor(kGain3)->getValue(), value);
    EXPECT_EQ(std::string(editor().responseDisplay()->getText()), "3.5dB");
}

TEST_F(TypedValueEditorTest, KeysTheHostPassesOnTypeToo) {
    open();
    doubleClick({183, 126}); // Freq 3
    ASSERT_NE(field(), nullptr);
    hostCalls().clear();
    // "1.2k", a Backspace, "kHz", Return: characters, and virtual keys without one.
    for (const HostKey key :
         {HostKey{'1', 0}, HostKey{'.', 0}, HostKey{'2', 0}, HostKey{'k', 0},
          HostKey{0, toolkit::kVirtKeyBack}, HostKey{'k', 0}, HostKey{'H', 0}, HostKey{'z', 0}})
        EXPECT_EQ(dispatch(effEditKeyDown, key.character, key.virt), 1);
    EXPECT_EQ(field()->getText(), "1.2kHz");
    EXPECT_EQ(dispatch(effEditKeyDown, 0, toolkit::kVirtKeyReturn), 1);
    EXPECT_EQ(field(), nullptr);
    expectOneEdit(kFreq3, engineValueOf(kFreq3, 1200.0f));
}

TEST_F(TypedValueEditorTest, TextThatIsNoValueKeepsTheFieldOpenAndMarked) {
    open();
    doubleClick(kGain3Centre);
    const float before = parameter(kGain3);
    hostCalls().clear();
    typeAndReturn("3 Hz");
    ASSERT_NE(field(), nullptr);
    EXPECT_TRUE(field()->isMarked());
    EXPECT_TRUE(editCalls().empty());
    idle();
    EXPECT_EQ(pixel(kValueFieldBox.left + 1, kValueFieldBox.top + 1), (toolkit::CRgb{220, 0, 0, 0}))
        << "a red ring";

    ASSERT_TRUE(screen.type({platform::Key::kBackspace}));
    EXPECT_FALSE(field()->isMarked()) << "typing clears the mark";
    ASSERT_TRUE(screen.type({platform::Key::kEscape}));
    EXPECT_EQ(field(), nullptr);
    EXPECT_TRUE(editCalls().empty());
    EXPECT_EQ(parameter(kGain3), before);
}

TEST_F(TypedValueEditorTest, AValueOutsideTheRangeIsLimitedToIt) {
    open();
    doubleClick({392, 250}); // the output gain's slider
    ASSERT_NE(field(), nullptr);
    EXPECT_EQ(editor().valueFieldIndex(), kOutput);
    hostCalls().clear();
    typeAndReturn("+20 dB");
    expectOneEdit(kOutput, 1.0f);
}

TEST_F(TypedValueEditorTest, ReturnOnTheTextAsItOpenedChangesNothing) {
    open();
    doubleClick({183, 183}); // Q 3
    ASSERT_NE(field(), nullptr);
    hostCalls().clear();
    ASSERT_TRUE(screen.type({platform::Key::kReturn}));
    EXPECT_EQ(field(), nullptr);
    EXPECT_TRUE(editCalls().empty());
}

TEST_F(TypedValueEditorTest, AClickElsewhereOrTheFocusGoingAwayCancels) {
    AEffGUIEditor::knobMode = toolkit::kLinearKnobMode;
    open();
    const auto before = pixels(kFrameBox);
    doubleClick(kGain3Centre);
    ASSERT_TRUE(screen.type({platform::Key::kNone, '9'}));
    hostCalls().clear();
    screen.press({250, 68}); // on Gain 4: only closes the field
    EXPECT_EQ(field(), nullptr);
    EXPECT_FALSE(screen.childHasKeyboardFocus());
    idle();
    EXPECT_EQ(pixels(kFrameBox), before) << "the picture as it was";
    EXPECT_TRUE(editCalls().empty());

    doubleClick(kGain3Centre);
    screen.press(onScreen({kValueFieldBox.left + 5, kValueFieldBox.top + 5}));
    EXPECT_NE(field(), nullptr) << "a click on the field keeps it";
    ASSERT_TRUE(screen.type({platform::Key::kNone, '1'})) << "and its keys";
    screen.focusElsewhere();
    EXPECT_EQ(field(), nullptr);
    idle();
    EXPECT_EQ(pixels(kFrameBox), before);
    EXPECT_TRUE(callsOf(audioMasterAutomate).empty());
}

TEST_F(TypedValueEditorTest, TheReadoutOpensTheValueItShows) {
    open();
    doubleClick({100, 240}); // the display, before it shows any value
    EXPECT_EQ(field(), nullptr);

    doubleClick(kGain3Centre);
    typeAndReturn("-6");
    doubleClick({300, 262});
    ASSERT_NE(field(), nullptr);
    EXPECT_EQ(editor().valueFieldIndex(), kGain3);
    EXPECT_EQ(field()->getText(), "-6.0 dB");
}

TEST_F(TypedValueEditorTest, SwitchesAndModifiedDoubleClicksOpenNoField) {
    open();
    const CBox& band2 = kSwitches[1].box;
    doubleClick({band2.left + 30, band2.top + 10});
    EXPECT_EQ(field(), nullptr);
    EXPECT_EQ(parameter(toIndex(ParamId::OnOff2)), 1.0f) << "two clicks: off and on again";
    for (const int32_t modifier :
         {platform::kModifierShift, platform::kModifierControl, platform::kModifierAlt}) {
        doubleClick(kGain3Centre, modifier);
        EXPECT_EQ(field(), nullptr) << modifier;
    }
}

TEST_F(TypedValueEditorTest, ClosingTheEditorClosesTheFieldAndGivesTheKeysBack) {
    open();
    doubleClick(kGain3Centre);
    ASSERT_TRUE(screen.childHasKeyboardFocus());
    dispatch(effEditClose);
    EXPECT_FALSE(screen.childHasKeyboardFocus());
    open();
    EXPECT_EQ(field(), nullptr);
}

/// The same in the later toolkit generation and at twice the size.
struct TypedValueVariant {
    toolkit::ToolkitGeneration generation;
    double scale;
};

struct TypedValueVariantTest : TypedValueEditorTest,
                               ::testing::WithParamInterface<TypedValueVariant> {
    TypedValueVariantTest() : TypedValueEditorTest(GetParam().generation, GetParam().scale) {}
};

TEST_P(TypedValueVariantTest, ReturnSetsTheTypedValueAsOneEdit) {
    AEffGUIEditor::knobMode = toolkit::kLinearKnobMode;
    open();
    const auto before = pixels({0, 0, screen.width(), screen.height()});
    doubleClick(kGain3Centre);
    ASSERT_NE(field(), nullptr);
    idle();
    EXPECT_NE(pixels({0, 0, screen.width(), screen.height()}), before) << "the field is drawn";
    ASSERT_TRUE(screen.type({platform::Key::kEscape}));
    idle();
    EXPECT_EQ(pixels({0, 0, screen.width(), screen.height()}), before) << "and gone";

    doubleClick(kGain3Centre);
    hostCalls().clear();
    typeAndReturn("7.5dB");
    expectOneEdit(kGain3, engineValueOf(kGain3, 7.5f));
}

INSTANTIATE_TEST_SUITE_P(
    GenerationsAndScales, TypedValueVariantTest,
    ::testing::Values(TypedValueVariant{toolkit::ToolkitGeneration::kOriginal, 1.0},
                      TypedValueVariant{toolkit::ToolkitGeneration::kLater, 1.0},
                      TypedValueVariant{toolkit::ToolkitGeneration::kOriginal, 2.0},
                      TypedValueVariant{toolkit::ToolkitGeneration::kLater, 1.5}));

} // namespace
} // namespace miral::editor::testing
