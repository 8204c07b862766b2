// The editor on the later toolkit generation (the DirectShow filter's): its own about image and
// tag, wider markers numbered in the middle, controls drawn at the next idle after a user's
// change, and one-click changes reported as edits. The original generation side by side.
#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "engine/inverse_laws.h"
#include "engine/params.h"
#include "response_display.h"
#include "toolkit/image.h"
#include "toolkit/splash_screen.h"

#include <gtest/gtest.h>

#include <string>

#include <algorithm>

namespace miral::editor::testing {
namespace {

using toolkit::CBox;
using toolkit::CRgb;
using toolkit::ToolkitGeneration;

constexpr CRgb kLine{58, 66, 30, 0};
constexpr CRgb kMarkerFill{186, 202, 130, 0};
constexpr int32_t kGain3 = 8;
constexpr int32_t kFreq3 = 9;
constexpr int32_t kMarkerHeight = 10;

class EditorGenerations : public ::testing::TestWithParam<ToolkitGeneration>, public EditorTest {
protected:
    EditorGenerations() : EditorTest(GetParam()) {}

    bool later() const { return GetParam() == ToolkitGeneration::kLater; }

    CRgb screenPixel(int32_t column, int32_t row) const {
        return pixel(kDisplayBox.left + column, kDisplayBox.top + row);
    }

    /// The top row of the marker outlined in the line colour from `left` to `right` (inclusive
    /// columns of the screen), or -1.
    int32_t markerTop(int32_t left, int32_t right) const {
        for (int32_t top = 0; top + kMarkerHeight <= kDisplayBox.height(); ++top) {
            bool outlined = true;
            for (int32_t x = left; x <= right && outlined; ++x)
                outlined = screenPixel(x, top) == kLine;
            for (int32_t y = top; y < top + kMarkerHeight && outlined; ++y)
                outlined = screenPixel(left, y) == kLine && screenPixel(right, y) == kLine;
            if (outlined)
                return top;
        }
        return -1;
    }
};

TEST_P(EditorGenerations, TheAboutAreaShowsTheGenerationsImageUnderATagOneLess) {
    open();
    const toolkit::CSplashScreen& about = *editor().aboutArea();
    const int32_t image = later() ? 305 : 157;
    EXPECT_EQ(about.getTag(), image - 1);
    EXPECT_EQ(about.getBackground()->getResourceId(), image);
    EXPECT_EQ(about.getBackground()->getWidth(), kAboutImageWidth);
    EXPECT_EQ(about.getBackground()->getHeight(), kAboutImageHeight);
}

TEST_P(EditorGenerations, MarkersAreSixOrEightPixelsWideWithTheNumberRightOrInTheMiddle) {
    hostSets(kGain3, float(gainDbToNorm(6.0)));
    hostSets(kFreq3, float(frequencyHzToNorm(1000.0, 2))); // column 194
    open();
    // The original outlines x - 3 .. x + 3 and its bottom row below the box; the later one
    // draws exactly the box x - 4 .. x + 4 (right edge excluded).
    const int32_t left = later() ? 190 : 191;
    const int32_t right = 197;
    const int32_t top = markerTop(left, right);
    ASSERT_GE(top, 0);
    EXPECT_EQ(markerTop(later() ? 191 : 190, right), -1) << "the other generation's outline";

    // The ink of the number "3" between the outline's columns.
    int32_t firstInk = right;
    int32_t lastInk = left;
    for (int32_t x = left + 1; x < right; ++x)
        for (int32_t y = top + 1; y < top + kMarkerHeight - 1; ++y) {
            const CRgb colour = screenPixel(x, y);
            if (colour != kMarkerFill && colour != kLine) {
                firstInk = std::min(firstInk, x);
                lastInk = std::max(lastInk, x);
            }
        }
    ASSERT_LE(firstInk, lastInk) << "the number is drawn";
    const int32_t spaceLeft = firstInk - (left + 1);
    const int32_t spaceRight = (right - 1) - lastInk;
    if (later())
        EXPECT_LE(std::abs(spaceLeft - spaceRight), 1) << spaceLeft << " / " << spaceRight;
    else
        EXPECT_GT(spaceLeft, spaceRight) << "right-aligned";
}

TEST_P(EditorGenerations, AChangedControlIsDrawnAtOnceOrLeftToTheIdleAndIsAnEditOnlyWhenLater) {
    open();
    const CBox& band4 = kSwitches[3].box;
    const auto lampRed = [&] { return pixel(band4.left + 10, band4.top + 9).red; };
    screen.press({band4.left + 30, band4.top + 10});

    ASSERT_EQ(callsOf(audioMasterAutomate).size(), 1u);
    EXPECT_EQ(callsOf(audioMasterBeginEdit).size(), later() ? 1u : 0u);
    EXPECT_EQ(callsOf(audioMasterEndEdit).size(), later() ? 1u : 0u);
    toolkit::CControl& control = *editor().controlFor(15);
    EXPECT_EQ(control.isDirty(), later()) << "the later generation leaves it to the idle";
    idle();
    EXPECT_FALSE(control.isDirty());
    EXPECT_LT(lampRed(), 120);
}

std::string generationName(const ::testing::TestParamInfo<ToolkitGeneration>& tested) {
    return tested.param == ToolkitGeneration::kLater ? "Later" : "Original";
}

INSTANTIATE_TEST_SUITE_P(Editor, EditorGenerations,
                         ::testing::Values(ToolkitGeneration::kOriginal, ToolkitGeneration::kLater),
                         generationName);

} // namespace
} // namespace miral::editor::testing
