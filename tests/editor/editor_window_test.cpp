// The plug-in library's editor in a real window under Wine, driven as a Windows host drives it:
// opened in the host's window, idled, its pixels read back and compared with the Cairo
// backend's picture of the same editor, and clicked with real mouse input.
#include "editor/editor_layout.h"
#include "editor_picture.h"
#include "engine/laws.h"
#include "engine/level_match.h"
#include "host/host_callback.h"
#include "picture_file.h"
#include "platform/dynamic_library.h"
#include "test_support/host_window.h"
#include "test_support/polling.h"
#include "test_support/win32/test_probe.h"
#include "vst2/vst2_interface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace miral::editor {
namespace {

using reference::kEditorHeight;
using reference::kEditorWidth;

struct Automation {
    int32_t index;
    float value;
};

struct Gesture {
    int32_t index;
    bool begins;
    size_t automationsBefore; ///< how many automations the host had heard when it came
};

std::vector<platform::Rgb> readCairoPicture() {
    std::ifstream file(MIRAL_CAIRO_PICTURE, std::ios::binary);
    std::vector<platform::Rgb> pixels;
    for (char rgb[3]; file.read(rgb, 3);)
        pixels.push_back({uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])});
    return pixels;
}

class EditorWindow : public ::testing::Test, private host::EffectListener {
protected:
    void SetUp() override {
        window = platform::HostWindow::open(kEditorWidth, kEditorHeight);
        if (!window) {
            // Wine needs an X display for windows: without one the test cannot run; with one
            // this is a failure.
            ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "no window opens on the display";
            GTEST_SKIP() << "no display to open windows on";
        }
        library = platform::DynamicLibrary::load(MIRAL_VST_DLL);
        ASSERT_NE(library, nullptr);
        const auto main = library->entryAs<host::EntryPoint>("main");
        ASSERT_NE(main, nullptr);
        effect = host::createEffect(main, this);
        ASSERT_NE(effect, nullptr);
        dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        automations.clear();
        gestures.clear();
    }

    void TearDown() override {
        if (effect != nullptr)
            dispatch(effClose);
        window.reset();
    }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    /// Idles the editor, as a host does, until `done` holds.
    template <typename Condition> bool idleUntil(Condition done) {
        return miral::testing::repeatUntil([this] { dispatch(effEditIdle); }, done);
    }

    void automated(int32_t index, float value) override {
        automations.push_back({index, value});
        edits.push_back('v');
    }
    void gesture(int32_t index, bool begins) override {
        edits.push_back(begins ? 'b' : 'e');
        gestures.push_back({index, begins, automations.size()});
    }

    std::unique_ptr<platform::HostWindow> window;
    std::unique_ptr<platform::DynamicLibrary> library;
    AEffect* effect = nullptr;
    std::vector<Automation> automations;
    std::string edits; ///< "b" begin, "v" value, "e" end, in the order they came
    std::vector<Gesture> gestures;
};

bool inside(const toolkit::CBox& box, int32_t x, int32_t y) {
    return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

// GDI and Cairo copy the same bitmaps pixel for pixel; only the response display's text and
// anti-aliased font rendering may differ. The GDI picture is saved beside the Cairo one.
TEST_F(EditorWindow, DrawsThePanelAsTheCairoBackendDoes) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, kEditorWidth);
    EXPECT_EQ(rect->bottom - rect->top, kEditorHeight);

    reference::prepareEditorPicture(*effect);
    const toolkit::CBox& band1 = kSwitches[0].box;
    const platform::Rgb hostBackground = window->pixel(band1.left + 10, band1.top + 9);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    ASSERT_TRUE(
        idleUntil([&] { return window->pixel(band1.left + 10, band1.top + 9) != hostBackground; }));
    reference::stepEditorPicture(*effect);
    ASSERT_EQ(automations.size(), 1u) << "the key moved a control";
    for (int idle = 0; idle < 3; ++idle)
        dispatch(effEditIdle);
    platform::win32::dispatchPendingMessages();
    const std::vector<platform::Rgb> gdi =
        platform::win32::capturePixels(window->handle(), kEditorWidth, kEditorHeight);
    ASSERT_EQ(gdi.size(), size_t(kEditorWidth * kEditorHeight));
    EXPECT_TRUE(reference::writeBmp(MIRAL_GDI_SCREENSHOT, kEditorWidth, kEditorHeight, gdi));

    const std::vector<platform::Rgb> cairo = readCairoPicture();
    ASSERT_EQ(cairo.size(), gdi.size()) << MIRAL_CAIRO_PICTURE;
    toolkit::CBox differing{kEditorWidth, kEditorHeight, 0, 0};
    int32_t outsideDisplay = 0;
    int32_t insideDisplay = 0;
    for (int32_t y = 0; y < kEditorHeight; ++y)
        for (int32_t x = 0; x < kEditorWidth; ++x) {
            const size_t i = size_t(y) * kEditorWidth + size_t(x);
            if (gdi[i] == cairo[i])
                continue;
            (inside(kDisplayBox, x, y) ? insideDisplay : outsideDisplay) += 1;
            differing = {std::min(differing.left, x), std::min(differing.top, y),
                         std::max(differing.right, x + 1), std::max(differing.bottom, y + 1)};
        }
    std::printf("pixels differing from the Cairo picture: %d in the response display, %d "
                "elsewhere; all within (%d, %d)-(%d, %d)\n",
                insideDisplay, outsideDisplay, differing.left, differing.top, differing.right,
                differing.bottom);
    EXPECT_EQ(outsideDisplay, 0);
    dispatch(effEditClose);
}

TEST_F(EditorWindow, ClickOnASwitchReachesTheHostAsAutomation) {
    const toolkit::CBox& band2 = kSwitches[1].box;
    const platform::Point lamp{band2.left + 10, band2.top + 9};
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    ASSERT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red > 200; }))
        << "band 2 is on";

    window->click({band2.left + 30, band2.top + 10});
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].index, 7);
    EXPECT_EQ(automations[0].value, 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 7), 0.0f);
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red < 120; }))
        << "the switch shows its off state";

    effect->setParameter(effect, 7, 1.0f); // the host's automation goes the other way
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red > 200; }));
    EXPECT_EQ(automations.size(), 1u);
    dispatch(effEditClose);
    EXPECT_EQ(platform::win32::firstChildWindow(window->handle()), nullptr);
}

// The display's readout shows the control a key stepped; a double-click on it opens the value
// field, whose window takes the keyboard: real keys type into it.
TEST_F(EditorWindow, ADoubleClickOnTheReadoutOpensAFieldThatTakesTheKeyboard) {
    constexpr int32_t kQ5 = 18;
    constexpr uint8_t kVirtKeyUp = 12;
    const platform::Point inField{kValueFieldBox.left + 3, kValueFieldBox.top + 3};
    const platform::Rgb selected{45, 51, 23};
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) != selected; }));
    ASSERT_EQ(dispatch(effEditKeyDown, 0, kVirtKeyUp), 1); // Q 5, the last knob
    ASSERT_EQ(automations.size(), 1u);

    window->doubleClick({100, 240});
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) == selected; }))
        << "the field opens";
    edits.clear();
    window->type("2.5\r");
    EXPECT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) != selected; }));
    EXPECT_EQ(edits, "bve");
    ASSERT_EQ(automations.size(), 2u);
    EXPECT_EQ(automations[1].index, kQ5);
    EXPECT_EQ(effect->getParameter(effect, kQ5), automations[1].value);

    window->doubleClick({100, 240});
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) == selected; }));
    edits.clear();
    window->type("x\r"); // no value: the field stays, marked
    EXPECT_TRUE(idleUntil([&] {
        return window->pixel(kValueFieldBox.left + 1, kValueFieldBox.top + 1).red > 200;
    })) << "a red ring";
    window->type("\x1b");
    EXPECT_TRUE(idleUntil([&] {
        const platform::Rgb shown = window->pixel(inField.x, inField.y);
        return shown != selected && shown != platform::Rgb{255, 255, 255};
    }));
    EXPECT_EQ(edits, "");
    dispatch(effEditClose);
}

// The about image is bitmap resource 157 of the library; a click on the logo shows it at the
// frame's top-left corner, the next click anywhere hides it.
TEST_F(EditorWindow, ClickOnTheLogoShowsTheAboutImageFromTheLibrarysResources) {
    constexpr platform::Rgb kAboutBorder{238, 166, 60};
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    const toolkit::CBox& band1 = kSwitches[0].box;
    ASSERT_TRUE(idleUntil([&] { return window->pixel(band1.left + 10, band1.top + 9).red > 200; }));
    EXPECT_NE(window->pixel(0, 0), kAboutBorder);

    window->click({kAboutBox.left + 20, kAboutBox.top + 5});
    EXPECT_EQ(window->pixel(0, 0), kAboutBorder);
    EXPECT_EQ(window->pixel(kAboutImageWidth - 1, kAboutImageHeight - 1), kAboutBorder);

    window->click({300, 150});
    EXPECT_NE(window->pixel(0, 0), kAboutBorder);
    EXPECT_TRUE(automations.empty());
    dispatch(effEditClose);
}

// A boost of band 3 at 48 kHz: Alt-click on the Output Gain slider takes the loudness back as
// one edit.
TEST_F(EditorWindow, AltClickOnTheOutputGainIsOneLevelMatchingEdit) {
    constexpr int32_t kGain3 = 8, kOutputGain = 25;
    effect->setParameter(effect, kGain3, 0.9f);
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = effect->getParameter(effect, index);
    const double matchedDb = matchLevel(values, 48000.0).outputGainDb;
    ASSERT_LT(matchedDb, -1.0);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    const toolkit::CBox& band1 = kSwitches[0].box;
    ASSERT_TRUE(idleUntil([&] { return window->pixel(band1.left + 10, band1.top + 9).red > 200; }));

    const platform::Point onTheSlider{kOutputSlider.box.left + 6, kOutputSlider.box.top + 12};
    window->setAlt(true);
    window->click(onTheSlider);
    window->setAlt(false);
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].index, kOutputGain);
    EXPECT_NEAR(normToOutputGainDb(automations[0].value), matchedDb, 1e-4);
    ASSERT_EQ(gestures.size(), 2u);
    EXPECT_EQ(gestures[0].index, kOutputGain);
    EXPECT_TRUE(gestures[0].begins);
    EXPECT_EQ(gestures[0].automationsBefore, 0u);
    EXPECT_EQ(gestures[1].index, kOutputGain);
    EXPECT_FALSE(gestures[1].begins);
    EXPECT_EQ(gestures[1].automationsBefore, 1u);
    dispatch(effEditClose);
}

// Below 44.1 kHz the effect says so in a modal message box and is bypassed once it is closed.
TEST_F(EditorWindow, LowSampleRateIsReportedInAMessageBox) {
    std::thread host([this] { dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f); });
    const std::optional<std::string> text = platform::win32::dismissMessageBox(
        "MIRAL", static_cast<uint32_t>(
                     std::chrono::milliseconds(miral::testing::kWindowSystemPatience).count()));
    host.join();
    ASSERT_TRUE(text.has_value()) << "no message box appeared";
    EXPECT_EQ(*text, "sampling frequency must be>=44100 - MIRAL has been bypassed");

    std::vector<float> input(64, 0.25f);
    std::vector<float> output(64, -1.0f);
    float* inputs[2] = {input.data(), input.data()};
    float* outputs[2] = {output.data(), output.data()};
    effect->processReplacing(effect, inputs, outputs, 64);
    EXPECT_EQ(output, input) << "bypassed: the outputs receive the inputs";
}

} // namespace
} // namespace miral::editor
