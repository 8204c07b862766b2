// The editor opened, idled and closed in a host's X11 window many times, also while the audio
// thread processes and automation arrives. Without a display the test starts its own Xvfb.
#include "global_state.h"
#include "platform_seam.h"
#include "plugin_fixture.h"
#include "signals.h"

#include "test_support/host_window.h"
#include "tests/support/private_x_server.h"

#include <atomic>
#include <random>
#include <thread>

namespace miral::harness {
namespace {

constexpr int kOpenings = 100;
constexpr int kIdlesPerOpening = 3;

struct Editor : PluginTest {
    void SetUp() override {
        if (!server.ensureDisplay())
            GTEST_SKIP() << "no X display and no Xvfb";
        window = platform::HostWindow::open(640, 480);
        ASSERT_NE(window, nullptr);
    }

    /// Opens, idles and closes the editor kOpenings times; false as soon as one opening fails.
    bool cycle(HostedEffect& effect) {
        for (int opening = 0; opening < kOpenings; ++opening) {
            ERect* rect = nullptr;
            effect.dispatch(effEditGetRect, 0, 0, &rect);
            if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
                return false;
            if (effect.dispatch(effEditOpen, 0, 0, window->handle()) != 1)
                return false;
            for (int idle = 0; idle < kIdlesPerOpening; ++idle)
                effect.dispatch(effEditIdle);
            effect.dispatch(effEditClose);
        }
        return true;
    }

    miral::testing::PrivateXServer server;
    std::unique_ptr<platform::HostWindow> window;
};

TEST_F(Editor, OpensIdlesAndClosesAHundredTimes) {
    auto effect = startedEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(cycle(*effect));
    effect->dispatch(effEditClose);
    effect->dispatch(effEditIdle);
}

TEST_F(Editor, OpensIdlesAndClosesWhileProcessingAndAutomating) {
    auto effect = startedEffect(48000.0f, 64);
    ASSERT_NE(effect, nullptr);
    AEffect& record = effect->record();
    std::atomic<bool> running{true};
    std::atomic<size_t> nonFinite{0};
    const std::optional<int> threadsBefore = threadCount();
    std::thread audio([&] {
        std::mt19937 generator(71);
        std::uniform_int_distribution<int32_t> parameter(0, kParameterCount - 1);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        Stereo input = noise(64, 0.5f, 73);
        Stereo output(64);
        auto inputs = input.at();
        auto outputs = output.at();
        while (running) {
            record.setParameter(&record, parameter(generator), value(generator));
            record.processReplacing(&record, inputs.data(), outputs.data(), 64);
            nonFinite += countSamples(output).nonFinite;
            std::this_thread::yield();
        }
    });
    const bool cycled = cycle(*effect);
    running = false;
    joinAndSettle(audio, threadsBefore);
    EXPECT_TRUE(cycled);
    EXPECT_EQ(nonFinite, 0u);
}

// Passes when closing neither crashes nor hangs; what it frees, the sanitizer build checks.
TEST_F(Editor, ClosingTheEffectWithItsEditorOpen) {
    auto effect = startedEffect();
    ASSERT_NE(effect, nullptr);
    ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, window->handle()), 1);
    effect->dispatch(effEditIdle);
    effect->close();
}

} // namespace
} // namespace miral::harness
