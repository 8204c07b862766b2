// The editor embedded in a host's window through the GUI extension (X11 on Linux, Win32 under
// Wine), idled on the host's timer. Without a display the Linux test starts its own Xvfb.
#include "clap_test_host.h"

#include "clap_abi/gui.h"
#include "editor/editor_layout.h"
#include "engine/inverse_laws.h"
#include "engine/level_match.h"
#include "test_support/host_window.h"
#include "test_support/polling.h"
#if !defined(_WIN32)
#include "test_support/private_x_server.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace miral::clap_test {
namespace {

constexpr int kOpenings = 100;

#if defined(_WIN32)
constexpr const char* kApi = CLAP_WINDOW_API_WIN32;
constexpr const char* kOtherApi = CLAP_WINDOW_API_X11;
#else
constexpr const char* kApi = CLAP_WINDOW_API_X11;
constexpr const char* kOtherApi = CLAP_WINDOW_API_WIN32;
#endif

class ClapGui : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(_WIN32)
        if (!server.ensureDisplay())
            GTEST_SKIP() << "no X display and no Xvfb";
#endif
        window = platform::HostWindow::open(900, 700);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(instance.valid());
        gui = instance.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
        timer = instance.extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
        ASSERT_NE(gui, nullptr);
        ASSERT_NE(timer, nullptr);
    }

    clap_window_t parent() const {
        clap_window_t result{};
        result.api = kApi;
#if defined(_WIN32)
        result.win32 = window->handle();
#else
        result.x11 = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window->handle()));
#endif
        return result;
    }

#if !defined(_WIN32)
    testing::PrivateXServer server;
#endif
    std::unique_ptr<platform::HostWindow> window;
    Instance instance;
    const clap_plugin_gui_t* gui = nullptr;
    const clap_plugin_timer_support_t* timer = nullptr;
};

TEST_F(ClapGui, OffersAnEmbeddedEditorAtTheHostsScale) {
    const clap_plugin_t* plugin = instance.plugin();
    EXPECT_TRUE(gui->is_api_supported(plugin, kApi, false));
    EXPECT_FALSE(gui->is_api_supported(plugin, kApi, true));
    EXPECT_FALSE(gui->is_api_supported(plugin, kOtherApi, false));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui->get_preferred_api(plugin, &api, &floating));
    EXPECT_STREQ(api, kApi);
    EXPECT_FALSE(floating);
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_FALSE(gui->get_size(plugin, &width, &height)); // not created yet
    EXPECT_FALSE(gui->create(plugin, kApi, true));
    ASSERT_TRUE(gui->create(plugin, kApi, false));
    EXPECT_FALSE(gui->create(plugin, kApi, false)); // one editor at a time
    EXPECT_FALSE(gui->set_scale(plugin, 0.5));
    EXPECT_FALSE(gui->set_scale(plugin, 3.5));
    EXPECT_FALSE(gui->set_scale(plugin, std::nan("")));
    ASSERT_TRUE(gui->set_scale(plugin, 2.0));
    ASSERT_TRUE(gui->get_size(plugin, &width, &height));
    EXPECT_EQ(width, 840u);
    EXPECT_EQ(height, 580u);
    EXPECT_TRUE(gui->set_scale(plugin, 1.0));
    EXPECT_FALSE(gui->can_resize(plugin));
    ASSERT_TRUE(gui->get_size(plugin, &width, &height));
    EXPECT_EQ(width, 420u);
    EXPECT_EQ(height, 290u);
    EXPECT_TRUE(gui->set_size(plugin, width, height));
    EXPECT_FALSE(gui->set_size(plugin, width + 1, height));
    clap_window_t wrongApi = parent();
    wrongApi.api = kOtherApi;
    EXPECT_FALSE(gui->set_parent(plugin, &wrongApi));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    EXPECT_TRUE(gui->show(plugin));
    gui->destroy(plugin);
}

TEST_F(ClapGui, CreatesEmbedsIdlesAndDestroysAHundredTimes) {
    const clap_plugin_t* plugin = instance.plugin();
    const HostRecord before = hostRecord();
    const clap_window_t host = parent();
    for (int opening = 0; opening < kOpenings; ++opening) {
        ASSERT_TRUE(gui->create(plugin, kApi, false)) << opening;
        uint32_t width = 0;
        uint32_t height = 0;
        ASSERT_TRUE(gui->get_size(plugin, &width, &height));
        ASSERT_TRUE(gui->set_parent(plugin, &host)) << opening;
        EXPECT_TRUE(gui->show(plugin));
        timer->on_timer(plugin, hostRecord().lastTimer);
        timer->on_timer(plugin, hostRecord().lastTimer + 1000); // not ours: ignored
        EXPECT_TRUE(gui->hide(plugin));
        gui->destroy(plugin);
    }
    EXPECT_EQ(hostRecord().timersRegistered - before.timersRegistered, kOpenings);
    EXPECT_EQ(hostRecord().timersUnregistered - before.timersUnregistered, kOpenings);
}

TEST_F(ClapGui, HostChangesShownInTheEditorAreNotSentBackToTheHost) {
    const clap_plugin_t* plugin = instance.plugin();
    ASSERT_TRUE(instance.start(48000.0, 64));
    ASSERT_TRUE(gui->create(plugin, kApi, false));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    const int flushRequests = hostRecord().flushRequests;
    EventList events;
    events.addValue(0, 0, 9.0);
    events.addValue(10, 5, 4000.0);
    events.addValue(20, 7, 0.0);
    const AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    for (int idle = 0; idle < 3; ++idle)
        timer->on_timer(plugin, hostRecord().lastTimer);
    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(instance.sentEvents.empty());
    EXPECT_EQ(hostRecord().flushRequests, flushRequests);
    EXPECT_EQ(instance.value(0), 9.0);
    gui->destroy(plugin);
}

TEST_F(ClapGui, AClickInTheEditorChangesTheValueAndReachesTheHostAsAnEdit) {
    const clap_plugin_t* plugin = instance.plugin();
    ASSERT_TRUE(instance.start(48000.0, 64));
    const toolkit::CBox& band2 = editor::kSwitches[1].box;
    const platform::Point lamp{band2.left + 10, band2.top + 9};
    const platform::Rgb hostBackground = window->pixel(lamp.x, lamp.y);
    ASSERT_TRUE(gui->create(plugin, kApi, false));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    const auto idle = [&] { timer->on_timer(plugin, hostRecord().lastTimer); };
    ASSERT_TRUE(testing::repeatUntil(idle, [&] {
        return window->pixel(lamp.x, lamp.y) != hostBackground &&
               window->pixel(lamp.x, lamp.y).red > 200;
    })) << "band 2 shows on";
    const int flushRequests = hostRecord().flushRequests;

    window->click({band2.left + 30, band2.top + 10});
    ASSERT_TRUE(testing::repeatUntil(idle, [&] { return instance.value(7) == 0.0; }));
    EXPECT_GT(hostRecord().flushRequests, flushRequests);

    const AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    ASSERT_FALSE(instance.sentEvents.empty());
    EXPECT_EQ(std::count(instance.sentEvents.begin(), instance.sentEvents.end(),
                         uint16_t{CLAP_EVENT_PARAM_VALUE}),
              1);
    EXPECT_EQ(std::count(instance.sentEvents.begin(), instance.sentEvents.end(),
                         uint16_t{CLAP_EVENT_PARAM_GESTURE_BEGIN}),
              std::count(instance.sentEvents.begin(), instance.sentEvents.end(),
                         uint16_t{CLAP_EVENT_PARAM_GESTURE_END}));
    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    EXPECT_TRUE(instance.sentEvents.empty()) << "each edit is sent once";
    gui->destroy(plugin);
}

TEST_F(ClapGui, ATypedValueReachesTheHostAsOneEditInItsUnit) {
    const clap_plugin_t* plugin = instance.plugin();
    ASSERT_TRUE(instance.start(48000.0, 64));
    const platform::Point inField{editor::kValueFieldBox.left + 3, editor::kValueFieldBox.top + 3};
    const platform::Rgb selected{45, 51, 23};
    ASSERT_TRUE(gui->create(plugin, kApi, false));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    const auto idle = [&] { timer->on_timer(plugin, hostRecord().lastTimer); };
    const toolkit::CBox& band1 = editor::kSwitches[0].box;
    ASSERT_TRUE(testing::repeatUntil(
        idle, [&] { return window->pixel(band1.left + 10, band1.top + 9).red > 200; }));

    window->doubleClick({183, 68}); // Gain 3
    ASSERT_TRUE(testing::repeatUntil(idle, [&] {
        return window->pixel(inField.x, inField.y) == selected;
    })) << "the value field opens";
    const AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    window->type("-4.5\r");
    ASSERT_TRUE(testing::repeatUntil(idle, [&] { return instance.value(8) == -4.5; }));
    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(instance.sentEvents,
              (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                     CLAP_EVENT_PARAM_GESTURE_END}));
    gui->destroy(plugin);
}

TEST_F(ClapGui, AnAltClickOnABandSwitchSolosTheProcessingInstanceWithoutAnEditOrState) {
    const clap_plugin_t* plugin = instance.plugin();
    ASSERT_TRUE(instance.start(48000.0, 64));
    MemoryOutput before;
    ASSERT_TRUE(instance.state().save(plugin, before.stream()));
    const toolkit::CBox& band3 = editor::kSwitches[2].box;
    const platform::Point lamp{band3.left + 10, band3.top + 9};
    const platform::Rgb hostBackground = window->pixel(lamp.x, lamp.y);
    ASSERT_TRUE(gui->create(plugin, kApi, false));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    const auto idle = [&] { timer->on_timer(plugin, hostRecord().lastTimer); };
    ASSERT_TRUE(testing::repeatUntil(idle, [&] {
        return window->pixel(lamp.x, lamp.y) != hostBackground;
    })) << "the editor shows";

    // A 50 Hz tone: the flat default settings pass it unchanged; band 3's band-pass, two
    // decades above, takes most of it away.
    AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    int64_t frame = 0;
    bool editsSent = false;
    const auto outputLevel = [&] {
        for (auto& channel : input.channels)
            for (size_t i = 0; i < channel.size(); ++i)
                channel[i] = float(
                    0.5 * std::sin(2 * std::numbers::pi * 50 * double(frame + int64_t(i)) / 48000));
        frame += 64;
        EXPECT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
        editsSent = editsSent || !instance.sentEvents.empty();
        double largest = 0;
        for (const float sample : output.channels[0])
            largest = std::max(largest, double(std::fabs(sample)));
        return largest;
    };
    const auto altClick = [&](platform::Point where) {
        window->setAlt(true);
        window->click(where);
        window->setAlt(false);
    };
    const platform::Point band3Switch{band3.left + 30, band3.top + 10};
    altClick(band3Switch);
    ASSERT_TRUE(testing::repeatUntil(idle, [&] { return outputLevel() < 0.05; }))
        << "band 3 soloed in the instance that processes";
    MemoryOutput soloed;
    ASSERT_TRUE(instance.state().save(plugin, soloed.stream()));
    EXPECT_EQ(soloed.bytes, before.bytes) << "the state holds no solo";
    altClick(band3Switch);
    ASSERT_TRUE(testing::repeatUntil(idle, [&] { return outputLevel() > 0.45; }))
        << "the same gesture ends the solo";
    EXPECT_EQ(instance.value(11), 1.0) << "band 3 stays on";
    EXPECT_FALSE(editsSent) << "a solo is no edit";
    gui->destroy(plugin);
}

TEST_F(ClapGui, AnAltClickOnTheOutputGainReachesTheHostAsOneLevelMatchingEdit) {
    const clap_plugin_t* plugin = instance.plugin();
    ASSERT_TRUE(instance.start(48000.0, 64));
    constexpr clap_id kOutputGain = 25;
    constexpr double kGain1Db = 9.0;
    EventList boost;
    boost.addValue(0, 0, kGain1Db);
    const AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    ASSERT_EQ(instance.process(input, output, boost), CLAP_PROCESS_CONTINUE);
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = kParamTable[size_t(index)].defaultValue;
    values[0] = float(gainDbToNorm(kGain1Db));
    const double matchedDb = matchLevel(values, 48000.0).outputGainDb;
    ASSERT_LT(matchedDb, -0.5);

    ASSERT_TRUE(gui->create(plugin, kApi, false));
    const clap_window_t host = parent();
    ASSERT_TRUE(gui->set_parent(plugin, &host));
    const auto idle = [&] { timer->on_timer(plugin, hostRecord().lastTimer); };
    for (int i = 0; i < 3; ++i)
        idle();
    const toolkit::CBox& slider = editor::kOutputSlider.box;
    const platform::Point onTheSlider{slider.left + 6, slider.top + 12};
    window->setAlt(true);
    window->click(onTheSlider);
    window->setAlt(false);
    ASSERT_TRUE(testing::repeatUntil(idle, [&] { return instance.value(kOutputGain) != 0.0; }));
    EXPECT_NEAR(instance.value(kOutputGain), matchedDb, 1e-4);

    ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(instance.sentEvents,
              (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                     CLAP_EVENT_PARAM_GESTURE_END}));
    gui->destroy(plugin);
}

TEST_F(ClapGui, AHostWithoutTimersGetsNoEditor) {
    hostRecord().offerTimers = false;
    Instance timerless;
    hostRecord().offerTimers = true;
    ASSERT_TRUE(timerless.valid());
    const auto* timerlessGui = timerless.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
    EXPECT_FALSE(timerlessGui->create(timerless.plugin(), kApi, false));
    timerlessGui->destroy(timerless.plugin());
}

} // namespace
} // namespace miral::clap_test
