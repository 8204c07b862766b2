// The editor at display scales above 1: its size, the mouse in screen pixels, and its picture
// against the same editor at full size.

#include "editor/editor_layout.h"
#include "editor_test_support.h"
#include "platform/display_scale.h"
#include "response_display.h"
#include "test_support/bmp24_file.h"
#include "toolkit/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace miral::editor::testing {
namespace {

using toolkit::CPos;

constexpr int32_t kGain3 = 8;

struct ScaledEditor : EditorTest {
    explicit ScaledEditor(double factor)
        : EditorTest(toolkit::ToolkitGeneration::kOriginal, factor), scale(factor) {}

    /// The screen pixel whose layout pixel is `point`.
    platform::Point onScreen(CPos point) const {
        return {static_cast<int32_t>(std::ceil(point.x * scale)),
                static_cast<int32_t>(std::ceil(point.y * scale))};
    }

    /// The drag of the full-size knob test, in this scale's screen pixels; the automated values.
    std::vector<float> dragGain3() {
        open();
        for (CPos step : {CPos{189, 62}, CPos{193, 58}, CPos{191, 68}, CPos{191, 68}})
            screen.queue({onScreen(step), platform::kButtonLeft});
        screen.press(onScreen({183, 56}));
        std::vector<float> values;
        for (const HostCall& call : callsOf(audioMasterAutomate))
            values.push_back(call.value);
        return values;
    }

    const double scale;
};

struct ScaledEditorTest : ::testing::TestWithParam<double> {};

TEST_P(ScaledEditorTest, ReportsAndOpensAtTheScaledPanelSize) {
    ScaledEditor editor(GetParam());
    ERect* rect = nullptr;
    ASSERT_EQ(editor.dispatch(effEditGetRect, 0, 0, &rect), 1);
    const int32_t width = static_cast<int32_t>(std::lround(420 * GetParam()));
    const int32_t height = static_cast<int32_t>(std::lround(290 * GetParam()));
    EXPECT_EQ(rect->right - rect->left, width);
    EXPECT_EQ(rect->bottom - rect->top, height);

    editor.open();
    // The panel's dark edge reaches the window's last pixels, and the frame nothing beyond.
    EXPECT_NE(editor.screen.pixel(width - 1, height - 1), (platform::Rgb{}));
}

TEST_P(ScaledEditorTest, AKnobDragOfScaledScreenPixelsGivesTheFullSizeValues) {
    ScaledEditor full(1.0);
    const std::vector<float> expected = full.dragGain3();
    ScaledEditor scaled(GetParam());
    const std::vector<float> values = scaled.dragGain3();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values, expected);
}

TEST_P(ScaledEditorTest, AClickOnBand3sSwitchAtScaledCoordinatesTurnsBand3Off) {
    ScaledEditor editor(GetParam());
    editor.open();
    const toolkit::CBox& band3 = kSwitches[2].box;
    editor.screen.press(editor.onScreen({band3.left + 30, band3.top + 10}));
    const auto automated = editor.callsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, kSwitches[2].tag);
    EXPECT_EQ(automated[0].value, 0.0f);
    EXPECT_EQ(std::string(editor.editor().responseDisplay()->getText()), "OFF");
}

TEST_P(ScaledEditorTest, AHostChangeRepaintsItsControlWithinItsOwnScreenPixels) {
    struct Place {
        int32_t tag;
        toolkit::CBox box;
    };
    std::vector<Place> places;
    for (const KnobPlace& knob : kKnobs)
        places.push_back({knob.tag, knob.box});
    for (const SwitchPlace& bandSwitch : kSwitches)
        places.push_back({bandSwitch.tag, bandSwitch.box});
    for (const SliderPlace& slider : {kRangeSlider, kOutputSlider})
        places.push_back({slider.tag, slider.box});

    ScaledEditor editor(GetParam());
    editor.open();
    const toolkit::CBox screenBox{0, 0, editor.screen.width(), editor.screen.height()};
    // A screen pixel belongs to the layout rectangle that holds its centre; the display shows
    // every change on its curve.
    const auto within = [&editor](const toolkit::CBox& box, int32_t x, int32_t y) {
        const double layoutX = (x + 0.5) / editor.scale;
        const double layoutY = (y + 0.5) / editor.scale;
        return layoutX >= box.left && layoutX < box.right && layoutY >= box.top &&
               layoutY < box.bottom;
    };
    for (const Place& place : places) {
        const std::vector<toolkit::CRgb> before = editor.pixels(screenBox);
        const float value = editor.record->getParameter(editor.record, place.tag);
        editor.hostSets(place.tag, value < 0.5f ? 1.0f : 0.0f);
        editor.idle();
        editor.idle();
        const std::vector<toolkit::CRgb> after = editor.pixels(screenBox);
        int32_t inside = 0;
        int32_t outside = 0;
        for (int32_t y = 0; y < screenBox.bottom; ++y)
            for (int32_t x = 0; x < screenBox.right; ++x) {
                const size_t at = size_t(y) * size_t(screenBox.right) + size_t(x);
                if (before[at] == after[at] || within(kDisplayBox, x, y))
                    continue;
                ++(within(place.box, x, y) ? inside : outside);
            }
        EXPECT_GT(inside, 0) << "control " << place.tag;
        EXPECT_EQ(outside, 0) << "control " << place.tag;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledEditorTest, ::testing::Values(1.5, 2.0, 2.5, 3.0));

TEST(ScaledEditorPicture, ASwitchAtDoubleSizeShowsTheDoubleSizeBitmapPixelForPixel) {
    // Band 5's strip is the full-colour one: on below off, each half the switch's size.
    const SwitchPlace& band5 = kSwitches[4];
    const std::vector<uint8_t> strip =
        test::fileBytes(std::string(MIRAL_RESOURCES_DIR) + "/bitmap" +
                        std::to_string(band5.stripId + kDoubleSizeIdOffset) + ".bmp");
    ASSERT_GT(strip.size(), 54u);
    ASSERT_EQ(strip[28], 24);

    ScaledEditor doubled(2.0);
    doubled.open();
    const int32_t width = 2 * band5.box.width();
    const int32_t height = 2 * band5.box.height();
    int32_t differing = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (doubled.screen.pixel(2 * band5.box.left + x, 2 * band5.box.top + y) !=
                test::bmp24Pixel(strip, x, height + y))
                ++differing;
    EXPECT_EQ(differing, 0) << "of " << width * height << " pixels of the lit switch";
}

TEST(ScaledEditorPicture, FlatAreasAtDoubleSizeHaveTheFullSizeColours) {
    ScaledEditor full(1.0);
    full.open();
    ScaledEditor doubled(2.0);
    doubled.open();
    // Every layout pixel whose neighbours share its colour is, at 2x, four pixels of that colour.
    int32_t compared = 0;
    int32_t differing = 0;
    for (int32_t y = 1; y < 289; ++y) {
        for (int32_t x = 1; x < 419; ++x) {
            const platform::Rgb colour = full.screen.pixel(x, y);
            bool flat = true;
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                    flat = flat && full.screen.pixel(x + dx, y + dy) == colour;
            if (!flat)
                continue;
            ++compared;
            for (int32_t dy = 0; dy < 2; ++dy)
                for (int32_t dx = 0; dx < 2; ++dx)
                    if (doubled.screen.pixel(2 * x + dx, 2 * y + dy) != colour)
                        ++differing;
        }
    }
    EXPECT_GT(compared, 420 * 290 / 4);
    EXPECT_LT(differing, compared / 50) << "of " << compared << " flat pixels";
}

TEST(ScaledEditorPicture, TheDisplaysTextAndCurveAreDrawnAtTheScale) {
    ScaledEditor doubled(2.0);
    doubled.hostSets(kGain3, 0.8f);
    doubled.open();
    doubled.idle();
    doubled.idle();
    // The display's content lies inside the doubled display box, and it is not empty there.
    const toolkit::CBox box = kDisplayBox;
    int32_t bright = 0;
    for (int32_t y = 2 * box.top; y < 2 * box.bottom; ++y)
        for (int32_t x = 2 * box.left; x < 2 * box.right; ++x) {
            const platform::Rgb colour = doubled.screen.pixel(x, y);
            if (colour.red + colour.green + colour.blue > 300)
                ++bright;
        }
    EXPECT_GT(bright, 100);
}

TEST(ScaledEditorContentScale, AnOpenEditorAsksTheHostForTheNewSizeAndOpensAgainAtIt) {
    ScaledEditor editor(1.0);
    editor.open();
    ASSERT_TRUE(editor.editor().setContentScale(2.0));
    const auto resized = editor.callsOf(audioMasterSizeWindow);
    ASSERT_EQ(resized.size(), 1u);
    EXPECT_EQ(resized[0].index, 840);
    EXPECT_EQ(resized[0].number, 580);
    ERect* rect = nullptr;
    ASSERT_EQ(editor.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 840);
    EXPECT_EQ(rect->bottom - rect->top, 580);
    ASSERT_TRUE(editor.editor().isOpen());
    EXPECT_EQ(editor.editor().getFrame()->getScale(), 2.0);

    // Only a change of scale resizes; a scale that is not a number changes nothing.
    EXPECT_TRUE(editor.editor().setContentScale(2.0));
    EXPECT_FALSE(editor.editor().setContentScale(std::nan("")));
    EXPECT_EQ(editor.callsOf(audioMasterSizeWindow).size(), 1u);
    EXPECT_EQ(editor.editor().getScale(), 2.0);
}

TEST(ScaledEditorContentScale, AClosedEditorTakesTheScaleWithoutAskingTheHost) {
    ScaledEditor editor(1.0);
    EXPECT_TRUE(editor.editor().setContentScale(0.0));
    EXPECT_EQ(editor.editor().getScale(), 1.0);
    EXPECT_TRUE(editor.editor().setContentScale(1e9));
    EXPECT_EQ(editor.editor().getScale(), 3.0);
    EXPECT_TRUE(editor.callsOf(audioMasterSizeWindow).empty());
}

// The host's content-scale call belongs to Windows hosts; on X11 the desktop's scale holds.
TEST(ScaledEditorContentScale, TheHostsVendorCallLeavesTheX11EditorAtTheDesktopsScale) {
    ScaledEditor editor(1.0);
    EXPECT_EQ(editor.dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 2.0f), 0);
    EXPECT_EQ(editor.editor().getScale(), 1.0);
}

} // namespace
} // namespace miral::editor::testing
