// The editor opened, idled and closed in a host's X11 window many times, also while the audio
// thread processes and automation arrives; its solo gesture solos the effect the host
// processes. Without a display the test starts its own Xvfb.
#include "global_state.h"
#include "platform_seam.h"
#include "plugin_fixture.h"
#include "signals.h"

#include "editor/editor_layout.h"
#include "test_support/host_window.h"
#include "test_support/polling.h"
#include "test_support/private_x_server.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
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

TEST_F(Editor, AnAltClickOnABandSwitchSolosTheEffectWithoutAnEditOrAProgramChange) {
    auto effect = startedEffect(48000.0f, 64);
    ASSERT_NE(effect, nullptr);
    // The flat program: a 50 Hz tone passes unchanged, band 3's band-pass takes most of it away.
    for (int32_t gain = 0; gain < 24; gain += 4)
        effect->setParameter(gain, 0.5f);
    std::vector<float> parameters;
    for (int32_t index = 0; index < kParameterCount; ++index)
        parameters.push_back(effect->getParameter(index));
    const int reportsBefore = effect->automationReports();
    ASSERT_EQ(effect->dispatch(effEditOpen, 0, 0, window->handle()), 1);
    const toolkit::CBox& band3 = editor::kSwitches[2].box;
    const platform::Point lamp{band3.left + 10, band3.top + 9};
    const auto idle = [&] { effect->dispatch(effEditIdle); };
    ASSERT_TRUE(
        miral::testing::repeatUntil(idle, [&] { return window->pixel(lamp.x, lamp.y).red > 200; }));

    Stereo input(64);
    Stereo output(64);
    int64_t frame = 0;
    const auto level = [&] {
        for (size_t i = 0; i < input.frames(); ++i)
            input.left[i] = input.right[i] = float(
                0.5 * std::sin(2 * std::numbers::pi * 50 * double(frame + int64_t(i)) / 48000));
        frame += 64;
        effect->process(input.at().data(), output.at().data(), 64);
        float largest = 0;
        for (const float sample : output.left)
            largest = std::max(largest, std::fabs(sample));
        return largest;
    };
    const auto altClick = [&] {
        window->setAlt(true);
        window->click({band3.left + 30, band3.top + 10});
        window->setAlt(false);
    };
    altClick();
    EXPECT_TRUE(miral::testing::repeatUntil(idle, [&] { return level() < 0.05f; }))
        << "band 3 soloed";
    altClick();
    EXPECT_TRUE(miral::testing::repeatUntil(idle, [&] { return level() > 0.45f; }))
        << "the same gesture ends the solo";
    effect->dispatch(effEditClose);
    for (int32_t index = 0; index < kParameterCount; ++index)
        EXPECT_EQ(effect->getParameter(index), parameters[size_t(index)]) << index;
    EXPECT_EQ(effect->automationReports(), reportsBefore) << "a solo is no edit";
}

} // namespace
} // namespace miral::harness
