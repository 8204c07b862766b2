// The editor as the other front ends embed it, on a headless screen: its host calls reach the
// front end's listener as values, gestures, resize requests and solo requests; it follows a new
// scale while open and takes only rates the equaliser processes.
#include "plugin/embedded_editor.h"

#include "editor/editor_layout.h"
#include "engine/eq_engine.h"
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
    void soloRequested(int32_t band) override { solos.push_back(band); }
    std::string heard; ///< b begin, v value, e end, in the order they came
    std::vector<int32_t> indices;
    float last = -1.0f;
    std::vector<EditorSize> sizes;
    std::vector<int32_t> solos;
};

std::vector<platform::Rgb> picture(const platform::HeadlessScreen& screen) {
    std::vector<platform::Rgb> pixels;
    for (int32_t y = 0; y < 290; ++y)
        for (int32_t x = 0; x < 420; ++x)
            pixels.push_back(screen.pixel(x, y));
    return pixels;
}

TEST(EmbeddedEditor, AltClickOnABandSwitchSolosTheBandUntilTheSameGestureAgain) {
    for (const toolkit::ToolkitGeneration generation :
         {toolkit::ToolkitGeneration::kOriginal, toolkit::ToolkitGeneration::kLater}) {
        Recorder listener;
        EmbeddedEditor editor(listener, {.generation = generation});
        platform::HeadlessScreen screen(420, 290);
        ASSERT_TRUE(editor.open(screen.handle()));
        editor.idle();
        const std::vector<platform::Rgb> unsoloed = picture(screen);
        const auto altClick = [&](int32_t band) {
            const toolkit::CBox& box = editor::kSwitches[size_t(band)].box;
            screen.press({box.left + 10, box.top + 9},
                         platform::kButtonLeft | platform::kModifierAlt);
            editor.idle();
        };

        altClick(2);
        EXPECT_EQ(editor.effect().solo(), 2);
        EXPECT_NE(picture(screen), unsoloed) << "the display marks the solo";
        // What the editor's equaliser plays (in a VST 2 host, the one that processes): band 3
        // alone, as its engine solos it.
        EqEngine expected;
        for (int32_t index = 0; index < kNumParams; ++index)
            expected.setParameter(index, editor.effect().getParameter(index));
        expected.setSolo(2);
        std::vector<float> in(512), out(512), reference(512);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = float(std::sin(0.37 * double(i)) * 0.5);
        float* inputs[2] = {in.data(), in.data()};
        float* outputs[2] = {out.data(), out.data()};
        editor.effect().processReplacing(inputs, outputs, 512);
        const float* expectedIn[2] = {in.data(), in.data()};
        float* expectedOut[2] = {reference.data(), reference.data()};
        expected.processReplacing(expectedIn, expectedOut, 512);
        EXPECT_EQ(out, reference);

        altClick(4);
        altClick(4);
        EXPECT_EQ(editor.effect().solo(), -1);
        EXPECT_EQ(picture(screen), unsoloed) << "no mark left";
        altClick(0);
        editor.close();
        EXPECT_EQ(listener.solos, (std::vector<int32_t>{2, 4, -1, 0, -1}))
            << "closing the editor ends its solo";
        EXPECT_EQ(listener.heard, "") << "a solo is no edit: no value, no gesture";
        for (int32_t band = 0; band < kNumBands; ++band)
            EXPECT_EQ(editor.effect().getParameter(bandParamIndex(band, BandParamKind::OnOff)),
                      1.0f)
                << "the switches keep their values";
    }
}

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
