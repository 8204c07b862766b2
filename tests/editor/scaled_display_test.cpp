// The response display on a scaled editor: its curve, markers and grid where the layout's
// display scaled maps them, drawn in screen pixels rather than enlarged layout pixels, grid
// lines round(scale) pixels thick, and its value text inside its box at every scale.

#include "editor/editor_layout.h"
#include "editor/response_scale.h"
#include "editor/response_screen.h"
#include "editor_test_support.h"
#include "engine/inverse_laws.h"
#include "engine/params.h"
#include "platform/display_scale.h"
#include "response_display.h"
#include "value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace miral::editor::testing {
namespace {

using toolkit::CBox;
using toolkit::CPos;
using toolkit::CRgb;

constexpr CRgb kLine{58, 66, 30, 0};
constexpr CRgb kFill{118, 136, 56, 0};
constexpr int32_t kGain3 = 8;
constexpr int32_t kFreq3 = 9;

/// The first screen pixel of a layout edge: the first whose centre lies at or after it.
int32_t firstPixel(int32_t layout, double scale) {
    return static_cast<int32_t>(std::ceil(layout * scale - 0.5));
}

struct ScaledDisplay : EditorTest {
    explicit ScaledDisplay(double factor)
        : EditorTest(toolkit::ToolkitGeneration::kOriginal, factor), scale(factor),
          left(firstPixel(kDisplayBox.left, factor)), top(firstPixel(kDisplayBox.top, factor)),
          columns(platform::scaledLength(kDisplayBox.width(), factor)),
          rows(platform::scaledLength(kDisplayBox.height(), factor)) {}

    CRgb screenPixel(int32_t column, int32_t row) const { return pixel(left + column, top + row); }

    /// The first line-coloured row of a column from the top.
    std::optional<int32_t> lineTop(int32_t column) const {
        for (int32_t row = 0; row < rows; ++row)
            if (screenPixel(column, row) == kLine)
                return row;
        return std::nullopt;
    }

    /// The display's pixels, rows from the top.
    std::vector<CRgb> displayPixels() const {
        std::vector<CRgb> result;
        for (int32_t row = 0; row < rows; ++row)
            for (int32_t column = 0; column < columns; ++column)
                result.push_back(screenPixel(column, row));
        return result;
    }

    const double scale;
    const int32_t left;
    const int32_t top;
    const int32_t columns;
    const int32_t rows;
};

TEST(ScaledDisplayCurve, AtDoubleSizeAFlatResponseCoversTheZeroDbGridLine) {
    ScaledDisplay doubled(2.0);
    doubled.hostSets(toIndex(ParamId::OnOff2), 0.0f);
    doubled.hostSets(kGain3, 0.5f);
    doubled.open();
    // The grid's 0 dB line is the layout's row doubled; the curve's line, two rows thick,
    // lies on it exactly and the area below is filled (after the step down from the first,
    // rounded point).
    const int32_t gridRow = 2 * toPixel(curveY(0.0, kDisplayBox.height()));
    for (int32_t column = 2; column < doubled.columns - 1; ++column) {
        ASSERT_EQ(doubled.lineTop(column), gridRow) << column;
        ASSERT_EQ(doubled.screenPixel(column, gridRow + 1), kLine) << column;
        ASSERT_EQ(doubled.screenPixel(column, gridRow + 2), kFill) << column;
    }
}

TEST(ScaledDisplayCurve, AtDoubleSizeTheCurveLiesOnTheScaledPositionNotOnDoubledRows) {
    ScaledDisplay doubled(2.0);
    doubled.hostSets(toIndex(ParamId::OutputGain), 1.0f); // +6 dB applied
    doubled.open();
    // At full size the line takes the row that holds +6 dB; doubling that row would put the
    // line's middle 0.875 pixels off. Drawn at the scale, its middle is the nearest to it.
    const double exact = 2.0 * curveY(6.0, kDisplayBox.height());
    for (int32_t column = 1; column < doubled.columns - 1; ++column) {
        const std::optional<int32_t> lineTop = doubled.lineTop(column);
        ASSERT_TRUE(lineTop.has_value()) << column;
        ASSERT_LE(std::abs(*lineTop + 1.0 - exact), 0.5) << column;
    }
}

struct ScaledDisplayLine : ::testing::TestWithParam<double> {};

TEST_P(ScaledDisplayLine, APeaksSlopesAreDrawnWithoutGaps) {
    ScaledDisplay display(GetParam());
    display.hostSets(kGain3, float(gainDbToNorm(12.0)));
    display.hostSets(kFreq3, float(frequencyHzToNorm(1000.0, 2)));
    display.open();
    // Every column up to the last, where the line ends, shows it (the marker's outline has
    // the line's colour too, so a gap under the marker would go unseen).
    for (int32_t column = 1; column < display.columns - 1; ++column)
        EXPECT_TRUE(display.lineTop(column).has_value()) << column;
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledDisplayLine, ::testing::Values(1.5, 2.0, 2.5));

TEST(ScaledDisplayCurve, AtDoubleSizeAMarkerIsTheLayoutsMarkerDoubledOnItsGridLine) {
    ScaledDisplay doubled(2.0);
    doubled.hostSets(kGain3, float(gainDbToNorm(6.0)));
    doubled.hostSets(kFreq3, float(frequencyHzToNorm(1000.0, 2)));
    doubled.open();
    // The layout's marker: an outline around 7 x 11 pixels; here 14 x 22 with a ring of two.
    const int32_t middle = columnOfFrequency(1000.0, doubled.columns);
    const int32_t markerLeft = middle - 6;
    std::optional<int32_t> markerTop;
    for (int32_t row = 0; row < doubled.rows && !markerTop; ++row)
        if (doubled.screenPixel(markerLeft, row) == kLine)
            markerTop = row;
    ASSERT_TRUE(markerTop.has_value());
    for (int32_t x = markerLeft; x < markerLeft + 14; ++x)
        for (int32_t ring = 0; ring < 2; ++ring) {
            EXPECT_EQ(doubled.screenPixel(x, *markerTop + ring), kLine) << x;
            EXPECT_EQ(doubled.screenPixel(x, *markerTop + 21 - ring), kLine) << x;
        }
    for (int32_t y = *markerTop; y < *markerTop + 22; ++y)
        for (int32_t ring = 0; ring < 2; ++ring) {
            EXPECT_EQ(doubled.screenPixel(markerLeft + ring, y), kLine) << y;
            EXPECT_EQ(doubled.screenPixel(markerLeft + 13 - ring, y), kLine) << y;
        }
    // It stands on the screen's 1 kHz line, which runs from the top of the screen.
    EXPECT_EQ(doubled.screenPixel(middle, 4), kScreenGridColour);
}

struct ScaledDisplayGrid : ::testing::TestWithParam<double> {};

TEST_P(ScaledDisplayGrid, GridLinesAreRoundScalePixelsOfTheirColourOnTheScreensColour) {
    const double scale = GetParam();
    ScaledDisplay display(scale);
    display.open();
    const int32_t thickness = platform::scaledLength(1, scale);
    const int32_t layoutWidth = kDisplayBox.width();
    // The 1 kHz line, above the curve.
    const int32_t row = firstPixel(4, scale);
    const int32_t x = firstPixel(columnOfFrequency(1000.0, layoutWidth), scale);
    EXPECT_EQ(display.screenPixel(x - 1, row), kScreenColour);
    for (int32_t column = x; column < x + thickness; ++column)
        EXPECT_EQ(display.screenPixel(column, row), kScreenGridColour) << column;
    EXPECT_EQ(display.screenPixel(x + thickness, row), kScreenColour);
    // The +6 dB line, left of the first vertical line.
    const int32_t column = firstPixel(10, scale);
    const int32_t y = firstPixel(toPixel(curveY(6.0, kDisplayBox.height())), scale);
    EXPECT_EQ(display.screenPixel(column, y - 1), kScreenColour);
    for (int32_t line = y; line < y + thickness; ++line)
        EXPECT_EQ(display.screenPixel(column, line), kScreenFaintGridColour) << line;
    EXPECT_EQ(display.screenPixel(column, y + thickness), kScreenColour);
}

// 2 shows the screen's double-size bitmap; the others the screen drawn at the scale.
INSTANTIATE_TEST_SUITE_P(Factors, ScaledDisplayGrid, ::testing::Values(1.5, 2.0, 2.5, 3.0));

struct ScaledDisplayText : ::testing::TestWithParam<double> {};

TEST_P(ScaledDisplayText, EveryReadoutLiesInsideTheValueBoxWithRoomToSpare) {
    ScaledDisplay display(GetParam());
    display.open();
    CResponseDisplay& responseDisplay = *display.editor().responseDisplay();
    responseDisplay.setText("");
    display.idle();
    const std::vector<CRgb> withoutText = display.displayPixels();
    // The value box: 12 layout rows at the bottom, 2 columns in from the right edge. Text that
    // did not fit would be cut at its edges, so its ink would reach them.
    const int32_t boxTop = display.rows - platform::scaledLength(12, display.scale);
    const int32_t boxRight = display.columns - platform::scaledLength(2, display.scale);
    int32_t readouts = 0;
    for (int32_t tag = 0; tag < kNumParams; ++tag)
        for (const float value : {0.0f, 0.37f, 0.5f, 1.0f}) {
            const std::string text = valueText(tag, value);
            if (text.empty())
                continue;
            ++readouts;
            responseDisplay.setText(text.c_str());
            display.idle();
            const std::vector<CRgb> withText = display.displayPixels();
            CBox ink{display.columns, display.rows, -1, -1};
            for (int32_t row = 0; row < display.rows; ++row)
                for (int32_t column = 0; column < display.columns; ++column) {
                    const size_t at = size_t(row) * size_t(display.columns) + size_t(column);
                    if (withText[at] == withoutText[at])
                        continue;
                    ink = {std::min(ink.left, column), std::min(ink.top, row),
                           std::max(ink.right, column), std::max(ink.bottom, row)};
                }
            ASSERT_LE(ink.left, ink.right) << text << ": nothing drawn";
            EXPECT_GT(ink.left, 0) << text;
            EXPECT_GT(ink.top, boxTop) << text;
            EXPECT_LT(ink.bottom, display.rows - 1) << text;
            EXPECT_LT(ink.right, boxRight) << text;
        }
    EXPECT_GT(readouts, 80);
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledDisplayText, ::testing::Values(1.0, 1.5, 2.5));

} // namespace
} // namespace miral::editor::testing
