// The response display as the open editor draws it: the curve's rows, the output gain's
// shift, the band markers' places and their clamping.

#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "engine/inverse_laws.h"
#include "engine/params.h"
#include "response_display.h"

#include <gtest/gtest.h>

#include <optional>

namespace miral::editor::testing {
namespace {

using toolkit::CPos;
using toolkit::CRgb;

constexpr CRgb kLine{58, 66, 30, 0};
constexpr CRgb kFill{118, 136, 56, 0};
constexpr int32_t kColumns = 343;
constexpr int32_t kRows = 47;
constexpr int32_t kGain3 = 8;
constexpr int32_t kFreq3 = 9;

struct ResponseDisplayTest : ::testing::Test, EditorTest {
    CRgb screenPixel(int32_t column, int32_t row) const {
        return pixel(kDisplayBox.left + column, kDisplayBox.top + row);
    }

    /// The row of the curve's line in a column: the first line-coloured pixel from the top.
    std::optional<int32_t> lineRow(int32_t column) const {
        for (int32_t row = 0; row < kRows; ++row)
            if (screenPixel(column, row) == kLine)
                return row;
        return std::nullopt;
    }

    /// The markers on the screen, as (middle column, top row): boxes 7 pixels wide and 11 high
    /// outlined in the line colour (the number inside may touch the left edge).
    std::vector<CPos> markers() const {
        std::vector<CPos> found;
        for (int32_t right = 6; right < kColumns; ++right)
            for (int32_t top = 0; top + 10 < kRows; ++top) {
                bool outlined = true;
                for (int32_t x = right - 6; x <= right && outlined; ++x)
                    outlined = screenPixel(x, top) == kLine && screenPixel(x, top + 10) == kLine;
                for (int32_t y = top; y <= top + 10 && outlined; ++y)
                    outlined = screenPixel(right, y) == kLine;
                if (outlined)
                    found.push_back({right - 3, top});
            }
        return found;
    }
};

TEST_F(ResponseDisplayTest, AFlatResponseIsALineAtRow23WithTheAreaBelowFilled) {
    hostSets(toIndex(ParamId::OnOff2), 0.0f);
    hostSets(kGain3, 0.5f); // a running band at 0 dB contributes nothing and has no marker
    open();
    EXPECT_EQ(lineRow(0), 24) << "the first point is rounded";
    // The polyline leaves out its last point, as does the area's right edge: the last column
    // keeps the screen.
    for (int32_t column = 1; column < kColumns - 1; ++column) {
        ASSERT_EQ(lineRow(column), 23) << column;
        ASSERT_EQ(screenPixel(column, 35), kFill) << column;
    }
    EXPECT_TRUE(markers().empty());
}

TEST_F(ResponseDisplayTest, OutputGainShiftsTheCurve) {
    hostSets(toIndex(ParamId::OutputGain), 1.0f); // +6 dB applied
    open();
    const int32_t raised = static_cast<int32_t>(23.5 - 6.0 * 1.40625);
    for (int32_t column = 1; column < kColumns - 1; ++column)
        ASSERT_EQ(lineRow(column), raised) << column;
}

TEST_F(ResponseDisplayTest, MarksABandAtItsCentreFrequencyUnderTheCurve) {
    hostSets(kGain3, float(gainDbToNorm(6.0)));
    hostSets(kFreq3, float(frequencyHzToNorm(1000.0, 2)));
    open();
    const auto found = markers();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].x, 194);
    // Hanging from the curve's peak.
    EXPECT_EQ(found[0].y, *lineRow(194));
    EXPECT_LT(*lineRow(194), 23);
}

TEST_F(ResponseDisplayTest, MarkersOfResponsesBeyondTheScreenStayInside) {
    hostSets(kGain3, 1.0f);                       // +16 dB
    hostSets(toIndex(ParamId::OutputGain), 1.0f); // and +6 dB more
    hostSets(toIndex(ParamId::Gain6), 0.0f);      // a high shelf cut
    hostSets(toIndex(ParamId::Freq6), 1.0f);      // at 18 kHz
    open();
    const auto found = markers();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].y, 0) << "band 3 at +22 dB is held at the top";
    EXPECT_EQ(found[1].x, 338) << "343 log2(18000 / 20) / log2(1000), rounded";
}

TEST_F(ResponseDisplayTest, FollowsTheEngineAfterAHostChange) {
    open();
    EXPECT_EQ(lineRow(100), 23);
    hostSets(toIndex(ParamId::OutputGain), 0.0f); // -6 dB
    idle();
    idle();
    EXPECT_EQ(lineRow(100), static_cast<int32_t>(23.5 + 6.0 * 1.40625));
}

TEST_F(ResponseDisplayTest, SetTextWithoutATextKeepsTheTextAndRedraws) {
    open();
    CResponseDisplay& display = *editor().responseDisplay();
    display.setText("12345678901234567890123");
    EXPECT_EQ(std::string(display.getText()), "1234567890123456789");
    idle();
    EXPECT_FALSE(display.isDirty());
    display.setText(nullptr);
    EXPECT_EQ(std::string(display.getText()), "1234567890123456789");
    EXPECT_TRUE(display.isDirty());
}

} // namespace
} // namespace miral::editor::testing
