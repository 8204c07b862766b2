// The editor as the other front ends embed it, on a headless screen: its host calls reach the
// front end's listener as values, gestures and resize requests; it follows a new scale while
// open and takes only rates the equaliser processes.
#include "plugin/embedded_editor.h"

#include "editor/editor_layout.h"
#include "platform/headless_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace miral {
namespace {

struct Recorder : host::EffectListener {
    void automated(int32_t index, float value) override {
        heard += 'v';
        indices.push_back(index);
        last = value;
    }
    void gesture(int32_t index, bool begins) override {
        heard += begins ? 'b' : 'e';
        indices.push_back(index);
    }
    bool resizeRequested(int32_t width, int32_t height) override {
        sizes.push_back({width, height});
        return true;
    }
    std::string heard; ///< b begin, v value, e end, in the order they came
    std::vector<int32_t> indices;
    float last = -1.0f;
    std::vector<EditorSize> sizes;
};

TEST(EmbeddedEditor, AKnobDragReachesTheListenerAsAWholeGesture) {
    Recorder listener;
    EmbeddedEditor editor(listener, {});
    platform::HeadlessScreen screen(420, 290);
    ASSERT_TRUE(editor.open(screen.handle()));
    editor.idle();
    // Gain 3's knob: pressed on its dot at the top, turned clockwise twice.
    for (platform::Point step : {platform::Point{189, 62}, platform::Point{191, 68}})
        screen.queue({step, platform::kButtonLeft});
    screen.press({183, 56});
    const int32_t gain3 = toIndex(ParamId::Gain3);
    EXPECT_EQ(listener.heard, "bvve");
    EXPECT_EQ(listener.indices, std::vector<int32_t>(4, gain3));
    EXPECT_EQ(editor.effect().getParameter(gain3), listener.last)
        << "the editor's own equaliser took it";
}

TEST(EmbeddedEditor, ANewScaleWhileOpenAsksForTheNewSizeAndDrawsAtIt) {
    Recorder listener;
    EmbeddedEditor editor(listener, {});
    platform::HeadlessScreen screen(840, 580);
    ASSERT_TRUE(editor.open(screen.handle()));
    editor.idle();
    EXPECT_FALSE(editor.changeScale(std::numeric_limits<double>::quiet_NaN()));
    ASSERT_TRUE(editor.changeScale(2.0));
    ASSERT_EQ(listener.sizes.size(), 1u);
    EXPECT_EQ(listener.sizes[0].width, 840);
    EXPECT_EQ(listener.sizes[0].height, 580);
    EXPECT_TRUE(editor.isOpen()) << "open again, in the same window";
    editor.idle();
    const toolkit::CBox& band2 = editor::kSwitches[1].box;
    EXPECT_GT(screen.pixel(2 * (band2.left + 10), 2 * (band2.top + 9)).red, 200)
        << "band 2's lamp is drawn at twice its place";
    EXPECT_TRUE(editor.changeScale(2.0));
    EXPECT_EQ(listener.sizes.size(), 1u) << "the same scale asks for nothing";
    EXPECT_FALSE(editor.setScale(1.0)) << "only a change of scale redraws an open editor";
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    EXPECT_TRUE(editor.setScale(1.0));
    EXPECT_EQ(editor.size()->width, 420);
}

TEST(EmbeddedEditor, TakesOnlyARateTheEqualiserProcesses) {
    const struct {
        std::optional<double> rate;
        float taken;
    } cases[] = {{std::nullopt, 44100.0f},
                 {96000.0, 96000.0f},
                 {22050.0, 44100.0f},
                 {std::numeric_limits<double>::quiet_NaN(), 44100.0f},
                 {std::numeric_limits<double>::infinity(), 44100.0f}};
    for (const auto& each : cases) {
        Recorder listener;
        EmbeddedEditor editor(listener, {.sampleRateHz = each.rate});
        EXPECT_EQ(editor.effect().getSampleRate(), each.taken) << each.rate.value_or(0.0);
    }
}

} // namespace
} // namespace miral
