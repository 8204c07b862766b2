// Typing into a value field: the keys, apart from any window; when a second press is a
// double-click; and where the frame sends a double-click.

#include "platform/double_click.h"
#include "test_support/toolkit_fixtures.h"
#include "toolkit/draw_port.h"
#include "toolkit/key_code.h"
#include "toolkit/knob.h"
#include "toolkit/text_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace miral::toolkit::testing {
namespace {

using Outcome = TextEntry::Outcome;

CKeyCode character(char c) {
    return {c, 0, 0};
}
CKeyCode virtualKey(uint8_t virt) {
    return {0, virt, 0};
}

struct Typing {
    const char* what;
    std::vector<CKeyCode> keys;
    std::string text;
    bool selected;
    Outcome last;
};

TEST(TextEntry, KeysEditTheTextThatOpensSelected) {
    const Typing cases[] = {
        {"nothing yet", {}, "1.0 dB", true, Outcome::kEditing},
        {"a character replaces the selection", {character('3')}, "3", false, Outcome::kEditing},
        {"then follows it",
         {character('3'), character('.'), character('5')},
         "3.5",
         false,
         Outcome::kEditing},
        {"Backspace clears the selection",
         {virtualKey(kVirtKeyBack)},
         "",
         false,
         Outcome::kEditing},
        {"then the last character",
         {virtualKey(kVirtKeyEnd), virtualKey(kVirtKeyBack), character('\b')},
         "1.0 ",
         false,
         Outcome::kEditing},
        {"Delete clears the selection",
         {virtualKey(kVirtKeyDelete), character('2')},
         "2",
         false,
         Outcome::kEditing},
        {"Left, Right, Home and End leave it",
         {virtualKey(kVirtKeyLeft), virtualKey(kVirtKeyHome), character('0')},
         "1.0 dB0",
         false,
         Outcome::kEditing},
        {"the keypad without characters",
         {{0, 24 + 4, 0}, {0, 38, 0}, {0, 24 + 5, 0}, {0, 37, 0}, {0, 35, 0}, {0, 7, 0}},
         "4.5-+ ",
         false,
         Outcome::kEditing},
        {"control characters are not typed",
         {character('\x01'), {0, 40, 0}},
         "1.0 dB",
         true,
         Outcome::kEditing},
        {"Return", {character('2'), virtualKey(kVirtKeyReturn)}, "2", false, Outcome::kCommit},
        {"the keypad's Enter", {virtualKey(kVirtKeyEnter)}, "1.0 dB", true, Outcome::kCommit},
        {"Return as a character", {character('\r')}, "1.0 dB", true, Outcome::kCommit},
        {"Escape", {character('2'), virtualKey(kVirtKeyEscape)}, "2", false, Outcome::kCancel},
        {"Escape as a character", {character('\x1b')}, "1.0 dB", true, Outcome::kCancel},
    };
    for (const Typing& typing : cases) {
        TextEntry entry("1.0 dB");
        Outcome last = Outcome::kEditing;
        for (const CKeyCode& key : typing.keys)
            last = entry.press(key);
        EXPECT_EQ(entry.text(), typing.text) << typing.what;
        EXPECT_EQ(entry.isSelected(), typing.selected) << typing.what;
        EXPECT_EQ(last, typing.last) << typing.what;
        EXPECT_EQ(entry.isEdited(), typing.text != "1.0 dB") << typing.what;
    }
}

TEST(TextEntry, TakesNoMoreThanItsLongestText) {
    TextEntry entry("");
    for (int i = 0; i < 40; ++i)
        entry.press(character('9'));
    EXPECT_EQ(entry.text(), std::string(TextEntry::kMaxLength, '9'));
}

struct Press {
    uint32_t timeMs;
    platform::Point position;
    bool second;
};

TEST(DoubleClickRule, TwoPressesCloseInTimeAndPlaceMakeOne) {
    const std::vector<std::vector<Press>> sequences = {
        {{1000, {10, 10}, false}, {1400, {14, 6}, true}},
        {{1000, {10, 10}, false}, {1401, {10, 10}, false}},
        {{1000, {10, 10}, false}, {1100, {15, 10}, false}},
        {{1000, {10, 10}, false}, {1100, {10, 5}, false}},
        {{1000, {10, 10}, false},
         {1100, {10, 10}, true},
         {1200, {10, 10}, false},
         {1300, {10, 10}, true}},
        {{0xffffff00u, {10, 10}, false}, {0x00000010u, {10, 10}, true}}, // the clock wraps
    };
    for (const std::vector<Press>& sequence : sequences) {
        platform::DoubleClickRule rule;
        for (const Press& press : sequence)
            EXPECT_EQ(rule.isSecondPress(press.timeMs, press.position), press.second)
                << "at " << press.timeMs;
    }
    platform::DoubleClickRule rule;
    rule.isSecondPress(1000, {10, 10});
    rule.otherPress();
    EXPECT_FALSE(rule.isSecondPress(1100, {10, 10})) << "another button came between";
}

/// A control that counts the double-clicks its listener is offered.
struct DoubleClickListener final : CValueListener {
    void onValueChange(CDrawPort*, CControl*) override {}
    bool onDoubleClick(CDrawPort&, CControl* control, int32_t modifiers) override {
        offered.push_back({control->getTag(), modifiers});
        return take;
    }
    std::vector<std::pair<int32_t, int32_t>> offered;
    bool take = true;
};

TEST(FrameDoubleClick, IsOfferedToTheListenerAndOtherwiseAClick) {
    HeadlessFrame frame;
    DoubleClickListener listener;
    auto* offered = new CKnob({10, 10, 44, 44}, &listener, 3, nullptr, nullptr, {});
    frame.frame->addView(offered);
    auto* view = new ColourView({100, 10, 120, 30}, kRedCRgb);
    frame.frame->addView(view);

    frame.screen.doubleClick({20, 20}, platform::kButtonLeft | platform::kModifierShift);
    ASSERT_EQ(listener.offered.size(), 1u);
    EXPECT_EQ(listener.offered[0], (std::pair<int32_t, int32_t>{3, kShift}));
    frame.screen.doubleClick({110, 20});
    EXPECT_EQ(view->clicks, 1) << "a view without a listener takes it as a click";

    listener.take = false;
    frame.screen.queue({{40, 15}, platform::kButtonLeft});
    frame.screen.doubleClick({20, 20});
    EXPECT_EQ(listener.offered.size(), 2u);
    EXPECT_NE(offered->getValue(), 0.0f) << "refused: the knob took the press";
}

} // namespace
} // namespace miral::toolkit::testing
