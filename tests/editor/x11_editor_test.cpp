// The plug-in library's editor in a real X11 window, opened, clicked and closed through the
// effect's dispatcher as a Linux host does. Without a display the test starts its own Xvfb.

#include "editor/editor_layout.h"
#include "engine/physical_units.h"
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "test_support/host_window.h"
#include "vst2/vst2_interface.h"

#include "test_support/polling.h"
#include "test_support/private_x_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace miral::editor {
namespace {

using miral::testing::PrivateXServer;

struct Automation {
    int32_t index;
    float value;
};

/// What the effect told its host of an edit: a gesture's begin or end, or a value.
struct Edit {
    enum Kind { kBegin, kValue, kEnd } kind;
    int32_t index;
    float value;
    friend bool operator==(const Edit&, const Edit&) = default;
};

struct X11EditorTest : ::testing::Test, host::EffectListener {
    void SetUp() override {
        if (!server.ensureDisplay())
            GTEST_SKIP() << "no X display and no Xvfb";
        // The host's window first, as in a host: the effect asks the X server for its scale,
        // and a server whose last client leaves resets and refuses connections for a moment.
        window = platform::HostWindow::open(420, 290);
        ASSERT_NE(window, nullptr);
        std::string error;
        library = platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
        ASSERT_NE(library, nullptr) << error;
        const auto entry = library->entryAs<host::EntryPoint>("VSTPluginMain");
        ASSERT_NE(entry, nullptr);
        effect = host::createEffect(entry, this);
        ASSERT_NE(effect, nullptr);
        dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    }

    void TearDown() override {
        if (effect != nullptr)
            dispatch(effClose);
        window.reset();
        library.reset();
    }

    void automated(int32_t index, float value) override {
        automations.push_back({index, value});
        edits.push_back({Edit::kValue, index, value});
    }
    void gesture(int32_t index, bool begins) override {
        edits.push_back({begins ? Edit::kBegin : Edit::kEnd, index, 0.0f});
    }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    /// Idles the editor, as a host does, until `done` holds.
    template <typename Condition> bool idleUntil(Condition done) {
        return miral::testing::repeatUntil([this] { dispatch(effEditIdle); }, done);
    }

    PrivateXServer server;
    std::unique_ptr<platform::DynamicLibrary> library;
    std::vector<Automation> automations;
    std::vector<Edit> edits;
    AEffect* effect = nullptr;
    std::unique_ptr<platform::HostWindow> window;
};

TEST_F(X11EditorTest, OpensInTheHostsWindowAndTurnsAClickIntoAnAutomatedChange) {
    const toolkit::CBox& band2 = kSwitches[1].box;
    const platform::Point lamp{band2.left + 10, band2.top + 9};
    const platform::Rgb hostBackground = window->pixel(lamp.x, lamp.y);

    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    ASSERT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y) != hostBackground; }))
        << "the editor draws itself on exposure";
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red > 200; }))
        << "band 2 is on";

    window->click({band2.left + 30, band2.top + 10});
    ASSERT_TRUE(idleUntil([this] { return !automations.empty(); }));
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0].index, 7);
    EXPECT_EQ(automations[0].value, 0.0f);
    EXPECT_EQ(effect->getParameter(effect, 7), 0.0f);
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red < 120; }))
        << "the switch shows its off state";

    dispatch(effEditClose);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1) << "opens again";
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red < 120; }));
    dispatch(effEditClose);
}

TEST_F(X11EditorTest, ADoubleClickOpensAValueFieldThatTakesTheKeyboard) {
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    const platform::Point inField{kValueFieldBox.left + 3, kValueFieldBox.top + 3};
    const platform::Rgb selected{45, 51, 23};
    const toolkit::CBox& band5 = kSwitches[4].box;
    ASSERT_TRUE(idleUntil([&] { return window->pixel(band5.left + 10, band5.top + 9).red > 200; }))
        << "drawn";

    constexpr int32_t kGain3 = 8;
    window->doubleClick({183, 68});
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) == selected; }))
        << "the field opens over the readout";
    edits.clear();
    window->type("-4.5\r"); // the editor's window took the keyboard focus
    ASSERT_TRUE(idleUntil([this] { return edits.size() >= 3; }));
    const float value = engineValueOf(kGain3, -4.5f);
    EXPECT_EQ(edits, (std::vector<Edit>{{Edit::kBegin, kGain3, 0.0f},
                                        {Edit::kValue, kGain3, value},
                                        {Edit::kEnd, kGain3, 0.0f}}));
    EXPECT_EQ(effect->getParameter(effect, kGain3), value);
    EXPECT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) != selected; }))
        << "and closes";

    window->doubleClick({183, 68});
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) == selected; }));
    edits.clear();
    window->type("9\x1b");
    EXPECT_TRUE(idleUntil([&] {
        const platform::Rgb shown = window->pixel(inField.x, inField.y);
        return shown != selected && shown != platform::Rgb{255, 255, 255};
    }));
    EXPECT_TRUE(edits.empty()) << "Escape changes nothing";
    dispatch(effEditClose);
}

TEST_F(X11EditorTest, FollowsHostAutomationAtIdle) {
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
    const toolkit::CBox& band5 = kSwitches[4].box;
    const platform::Point lamp{band5.left + 10, band5.top + 9};
    ASSERT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red > 200; }));
    effect->setParameter(effect, 19, 0.0f);
    EXPECT_TRUE(idleUntil([&] { return window->pixel(lamp.x, lamp.y).red < 120; }));
    EXPECT_TRUE(automations.empty());
}

TEST_F(X11EditorTest, ReportsTheSizeAtTheDesktopsScale) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    if (rect->right - rect->left != 420)
        GTEST_SKIP() << "the X server asks for a scale of its own (Xft.dpi)";

    // Without Xft.dpi, GDK_SCALE decides; a new effect reads it when it is created.
    ::setenv("GDK_SCALE", "2", 1);
    const auto entry = library->entryAs<host::EntryPoint>("VSTPluginMain");
    AEffect* scaled = host::createEffect(entry, this);
    ::unsetenv("GDK_SCALE");
    ASSERT_NE(scaled, nullptr);
    ERect* scaledRect = nullptr;
    ASSERT_EQ(scaled->dispatcher(scaled, effEditGetRect, 0, 0, &scaledRect, 0.0f), 1);
    EXPECT_EQ(scaledRect->right - scaledRect->left, 840);
    EXPECT_EQ(scaledRect->bottom - scaledRect->top, 580);
    scaled->dispatcher(scaled, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
} // namespace miral::editor
