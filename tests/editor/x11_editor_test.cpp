// The plug-in library's editor in a real X11 window, opened, clicked and closed through the
// effect's dispatcher as a Linux host does. Without a display the test starts its own Xvfb.

#include "editor/editor_layout.h"
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "test_support/host_window.h"
#include "vst2/vst2_interface.h"

#include "tests/support/polling.h"
#include "tests/support/private_x_server.h"

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

    void automated(int32_t index, float value) override { automations.push_back({index, value}); }

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

    window->setLeftButton({band2.left + 30, band2.top + 10}, true);
    window->setLeftButton({band2.left + 30, band2.top + 10}, false);
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
