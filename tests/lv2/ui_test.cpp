// The LV2 user interface in a test host: loaded through lilv, opened inside a real X11 window
// (Xvfb when there is no display), following the host's port values, and turning clicks into
// port writes in physical units with touch around the gesture, and an Alt-click on a band's
// switch into a solo message that the plug-in, given it on its solo port, plays.

#include "test_support/lv2_test_host.h"
#include "test_support/private_x_server.h"

#include "editor/editor_layout.h"
#include "editor/response_scale.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "platform/dynamic_library.h"
#include "test_support/host_window.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace miral::test {
namespace {

using editor::kDisplayBox;
using editor::kKnobs;
using editor::KnobPlace;
using editor::kSwitches;

struct PortWrite {
    uint32_t port;
    uint32_t size;
    uint32_t format;
    float value;
    std::vector<uint64_t> bytes; ///< what was written, 8-byte aligned as atoms are
};

struct Touch {
    uint32_t port;
    bool grabbed;
};

struct HostRecord {
    std::vector<PortWrite> writes;
    std::vector<Touch> touches;
    std::vector<std::pair<int, int>> sizes;
    std::string sequence; ///< "t" touch, "w" write, "u" untouch, in the order they came
};

void recordWrite(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                 const void* buffer) {
    float value = 0.0f;
    if (size == sizeof value)
        value = *static_cast<const float*>(buffer);
    std::vector<uint64_t> bytes((size + 7) / 8);
    std::memcpy(bytes.data(), buffer, size);
    static_cast<HostRecord*>(controller)->writes.push_back({port, size, format, value, bytes});
    static_cast<HostRecord*>(controller)->sequence += 'w';
}

void recordTouch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<HostRecord*>(handle)->touches.push_back({port, grabbed});
    static_cast<HostRecord*>(handle)->sequence += grabbed ? 't' : 'u';
}

int recordSize(LV2UI_Feature_Handle handle, int width, int height) {
    static_cast<HostRecord*>(handle)->sizes.emplace_back(width, height);
    return 0;
}

struct Lv2UiTest : ::testing::Test {
    void SetUp() override {
        if (!server.ensureDisplay())
            GTEST_SKIP() << "no X display and no Xvfb";
        ASSERT_NE(world.plugin(), nullptr);
        LilvUIs* uis = lilv_plugin_get_uis(world.plugin());
        ASSERT_EQ(lilv_uis_size(uis), 1u);
        const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
        char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        std::string error;
        library = platform::DynamicLibrary::load(path, &error);
        lilv_free(path);
        lilv_uis_free(uis);
        ASSERT_NE(library, nullptr) << error;
        const auto entry = library->entryAs<LV2UI_DescriptorFunction>("lv2ui_descriptor");
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        window = platform::HostWindow::open(420, 290);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override {
        if (handle != nullptr)
            descriptor->cleanup(handle);
        window.reset();
        library.reset();
    }

    /// Instantiates the user interface; with a scale factor above 0, the host's options tell it.
    void instantiate(float hostScaleFactor = 0.0f) {
        const LV2_URID_Map* map = world.map();
        sampleRate = 48000.0f;
        scaleFactor = hostScaleFactor;
        const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
        options = {{LV2_OPTIONS_INSTANCE, 0, map->map(map->handle, LV2_PARAMETERS__sampleRate),
                    sizeof(float), floatType, &sampleRate}};
        if (scaleFactor > 0.0f)
            options.push_back({LV2_OPTIONS_INSTANCE, 0, map->map(map->handle, LV2_UI__scaleFactor),
                               sizeof(float), floatType, &scaleFactor});
        options.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
        const LV2_Feature parent{LV2_UI__parent, window->handle()};
        const LV2_Feature touch{LV2_UI__touch, &touchService};
        const LV2_Feature resize{LV2_UI__resize, &resizeService};
        const LV2_Feature mapFeature{LV2_URID__map, world.map()};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options, options.data()};
        const LV2_Feature idle{LV2_UI__idleInterface, nullptr};
        const LV2_Feature* features[] = {&parent,         &touch, &resize, &mapFeature,
                                         &optionsFeature, &idle,  nullptr};
        handle = descriptor->instantiate(descriptor, lv2::kPluginUri, MIRAL_LV2_BUNDLE "/",
                                         recordWrite, &record, &widget, features);
        ASSERT_NE(handle, nullptr);
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idleInterface, nullptr);
    }

    void portEvent(int32_t index, float value) {
        descriptor->port_event(handle, static_cast<uint32_t>(index), sizeof value, 0, &value);
    }

    /// Idles the user interface, as a host does, until `done` holds or about two seconds passed.
    template <typename Condition> bool idleUntil(Condition done) {
        for (int attempt = 0; attempt < 400; ++attempt) {
            EXPECT_EQ(idleInterface->idle(handle), 0);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    platform::Rgb switchLamp(int32_t band) {
        const toolkit::CBox& box = kSwitches[static_cast<size_t>(band)].box;
        return window->pixel(box.left + 10, box.top + 9);
    }

    void click(platform::Point where) { window->click(where); }

    /// The pixels of the response display's column at `frequencyHz` between 3 and 9 dB.
    std::vector<platform::Rgb> responseColumn(double frequencyHz) {
        const int32_t width = kDisplayBox.right - kDisplayBox.left;
        const int32_t height = kDisplayBox.bottom - kDisplayBox.top;
        const int32_t x = kDisplayBox.left + editor::columnOfFrequency(frequencyHz, width);
        std::vector<platform::Rgb> column;
        for (auto y = static_cast<int32_t>(editor::curveY(9.0, height));
             y <= static_cast<int32_t>(editor::curveY(3.0, height)); ++y)
            column.push_back(window->pixel(x, kDisplayBox.top + y));
        return column;
    }

    testing::PrivateXServer server;
    Lv2World world;
    std::unique_ptr<platform::DynamicLibrary> library;
    const LV2UI_Descriptor* descriptor = nullptr;
    std::unique_ptr<platform::HostWindow> window;
    HostRecord record;
    LV2UI_Touch touchService{&record, recordTouch};
    LV2UI_Resize resizeService{&record, recordSize};
    float sampleRate = 0.0f;
    float scaleFactor = 0.0f;
    std::vector<LV2_Options_Option> options;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
};

TEST_F(Lv2UiTest, OpensTheEditorInTheHostsWindowAtItsSize) {
    const platform::Rgb hostBackground = switchLamp(1);
    instantiate();
    EXPECT_NE(widget, nullptr) << "the editor's X11 window";
    ASSERT_EQ(record.sizes.size(), 1u);
    EXPECT_EQ(record.sizes[0], std::make_pair(420, 290));
    EXPECT_TRUE(idleUntil([&] { return switchLamp(1) != hostBackground; }))
        << "the editor draws itself on exposure";
    EXPECT_GT(switchLamp(1).red, 200) << "band 2 is on by default";
    EXPECT_TRUE(record.writes.empty()) << "opening changes nothing";
}

TEST_F(Lv2UiTest, OpensAtTheHostsScaleFactor) {
    // A host window for the doubled editor, opened before the smaller one goes (an X server
    // whose last client leaves resets).
    auto larger = platform::HostWindow::open(840, 580);
    ASSERT_NE(larger, nullptr);
    window = std::move(larger);
    instantiate(2.0f);
    ASSERT_EQ(record.sizes.size(), 1u);
    EXPECT_EQ(record.sizes[0], std::make_pair(840, 580));
    const toolkit::CBox& band2 = kSwitches[1].box;
    EXPECT_TRUE(idleUntil([&] {
        return window->pixel(2 * (band2.left + 10), 2 * (band2.top + 9)).red > 200;
    })) << "band 2's lamp is drawn at twice its place";
}

TEST_F(Lv2UiTest, ANewScaleFactorWhileOpenResizesTheEditor) {
    auto larger = platform::HostWindow::open(840, 580);
    ASSERT_NE(larger, nullptr);
    window = std::move(larger);
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(1).red > 200; }));
    const auto* optionsInterface = static_cast<const LV2_Options_Interface*>(
        descriptor->extension_data(LV2_OPTIONS__interface));
    ASSERT_NE(optionsInterface, nullptr);
    const LV2_URID_Map* map = world.map();
    const float doubled = 2.0f;
    const float notANumber = std::numeric_limits<float>::quiet_NaN();
    const auto scaleOption = [&](const float& value) {
        return std::vector<LV2_Options_Option>{
            {LV2_OPTIONS_INSTANCE, 0, map->map(map->handle, LV2_UI__scaleFactor), sizeof(float),
             map->map(map->handle, LV2_ATOM__Float), &value},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    };
    EXPECT_EQ(optionsInterface->set(handle, scaleOption(notANumber).data()),
              uint32_t{LV2_OPTIONS_ERR_BAD_VALUE});
    EXPECT_EQ(optionsInterface->set(handle, scaleOption(doubled).data()),
              uint32_t{LV2_OPTIONS_SUCCESS});
    ASSERT_EQ(record.sizes.size(), 2u);
    EXPECT_EQ(record.sizes[1], std::make_pair(840, 580));
    // Band 5's lamp lies beyond the editor's first size: the window the host holds grew too.
    const toolkit::CBox& band5 = kSwitches[4].box;
    EXPECT_TRUE(idleUntil([&] {
        return window->pixel(2 * (band5.left + 10), 2 * (band5.top + 9)).red > 200;
    })) << "band 5's lamp is drawn at twice its place";
    EXPECT_TRUE(record.writes.empty()) << "a new scale changes no value";
}

TEST_F(Lv2UiTest, FollowsThePortValuesOfTheHost) {
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(4).red > 200; }));
    const std::vector<platform::Rgb> flat = responseColumn(800.0);

    portEvent(toIndex(ParamId::OnOff5), 0.0f);
    EXPECT_TRUE(idleUntil([&] { return switchLamp(4).red < 120; }));
    portEvent(toIndex(ParamId::Gain3), 12.0f); // dB
    EXPECT_TRUE(idleUntil([&] { return responseColumn(800.0) != flat; }))
        << "the response display draws the boost of band 3";
    EXPECT_TRUE(record.writes.empty()) << "host changes are not written back";
}

TEST_F(Lv2UiTest, AClickOnASwitchIsWrittenToItsPort) {
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(1).red > 200; }));
    const toolkit::CBox& band2 = kSwitches[1].box;
    click({band2.left + 30, band2.top + 10});
    ASSERT_TRUE(idleUntil([&] { return !record.writes.empty(); }));
    ASSERT_EQ(record.writes.size(), 1u);
    EXPECT_EQ(record.writes[0].port, static_cast<uint32_t>(ParamId::OnOff2));
    EXPECT_EQ(record.writes[0].format, 0u);
    EXPECT_EQ(record.writes[0].size, sizeof(float));
    EXPECT_EQ(record.writes[0].value, 0.0f);
    EXPECT_TRUE(idleUntil([&] { return switchLamp(1).red < 120; }));

    // The host switches it on again; the next click turns it off once more.
    portEvent(toIndex(ParamId::OnOff2), 1.0f);
    EXPECT_TRUE(idleUntil([&] { return switchLamp(1).red > 200; }));
    click({band2.left + 30, band2.top + 10});
    ASSERT_TRUE(idleUntil([&] { return record.writes.size() == 2; }));
    EXPECT_EQ(record.writes[1].value, 0.0f);
}

TEST_F(Lv2UiTest, AKnobDragWritesHertzBetweenTouchAndRelease) {
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(0).red > 200; }));
    const KnobPlace& knob = kKnobs[6]; // frequency of band 1
    const int32_t centreX = (knob.box.left + knob.box.right) / 2;
    const int32_t centreY = (knob.box.top + knob.box.bottom) / 2;
    window->setLeftButton({centreX, knob.box.top + 2}, true);
    // The knob follows the pointer inside the idle call until the button goes up: the pointer
    // moves to the knob's right (a higher frequency) and lets go from another thread.
    std::thread hand([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        window->setLeftButton({knob.box.right + 6, centreY - 4}, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        window->setLeftButton({knob.box.right + 6, centreY - 4}, false);
    });
    const bool released = idleUntil([&] { return record.touches.size() >= 2; });
    hand.join();
    ASSERT_TRUE(released);

    const auto port = static_cast<uint32_t>(knob.tag);
    EXPECT_EQ(record.sequence.front(), 't');
    EXPECT_EQ(record.sequence.back(), 'u');
    EXPECT_NE(record.sequence.find('w'), std::string::npos) << record.sequence;
    for (const Touch& touch : record.touches)
        EXPECT_EQ(touch.port, port);
    for (const PortWrite& write : record.writes) {
        EXPECT_EQ(write.port, port);
        EXPECT_GT(write.value, 200.0f) << "Hz, above the default";
        EXPECT_LE(write.value, 2000.0f);
    }
}

TEST_F(Lv2UiTest, ATypedValueIsWrittenInItsUnitBetweenTouchAndRelease) {
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(0).red > 200; }));
    const KnobPlace& knob = kKnobs[8]; // frequency of band 3
    const platform::Point inField{editor::kValueFieldBox.left + 3, editor::kValueFieldBox.top + 3};
    const platform::Rgb selected{45, 51, 23};
    window->doubleClick(
        {(knob.box.left + knob.box.right) / 2, (knob.box.top + knob.box.bottom) / 2});
    ASSERT_TRUE(idleUntil([&] { return window->pixel(inField.x, inField.y) == selected; }))
        << "the value field opens";
    record.sequence.clear();
    record.writes.clear();
    window->type("1.2k\r");
    ASSERT_TRUE(idleUntil([&] { return record.sequence.size() >= 3; }));
    EXPECT_EQ(record.sequence, "twu");
    ASSERT_EQ(record.writes.size(), 1u);
    EXPECT_EQ(record.writes[0].port, static_cast<uint32_t>(knob.tag));
    EXPECT_NEAR(record.writes[0].value, 1200.0f, 0.01f) << "Hz";
}

TEST_F(Lv2UiTest, AnAltClickOnASwitchSolosTheBandInThePluginThroughItsSoloPort) {
    instantiate();
    ASSERT_TRUE(idleUntil([&] { return switchLamp(2).red > 200; }));
    const toolkit::CBox& band3 = kSwitches[2].box;
    window->setAlt(true);
    click({band3.left + 30, band3.top + 10});
    window->setAlt(false);
    ASSERT_TRUE(idleUntil([&] { return !record.writes.empty(); }));
    ASSERT_EQ(record.writes.size(), 1u) << "no value written: a solo is no edit";
    const PortWrite message = record.writes[0];
    LV2_URID_Map* map = world.map();
    EXPECT_EQ(message.port, lv2::kSoloPort);
    EXPECT_EQ(message.format, map->map(map->handle, LV2_ATOM__eventTransfer));
    EXPECT_TRUE(switchLamp(2).red > 200) << "the switch stays on";

    // The message as a host passes it on: one event at frame 0 of the solo port's sequence.
    const LV2_Feature mapFeature{LV2_URID__map, map};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    LilvInstance* plugin = lilv_plugin_instantiate(world.plugin(), 48000.0, features);
    ASSERT_NE(plugin, nullptr);
    ControlValues controls = world.defaults();
    for (uint32_t port = 0; port < kNumParams; ++port)
        lilv_instance_connect_port(plugin, port, &controls[port]);
    std::vector<uint64_t> sequence(2 + 1 + message.bytes.size());
    auto* header = reinterpret_cast<LV2_Atom_Sequence*>(sequence.data());
    header->atom.type = map->map(map->handle, LV2_ATOM__Sequence);
    header->atom.size = uint32_t(sizeof(LV2_Atom_Sequence_Body) + sizeof(LV2_Atom_Event) +
                                 message.size - sizeof(LV2_Atom));
    std::memcpy(sequence.data() + 3, message.bytes.data(), message.size);
    lilv_instance_connect_port(plugin, lv2::kSoloPort, sequence.data());
    lilv_instance_activate(plugin);
    // A 50 Hz tone: the flat defaults pass it, band 3's band-pass takes most of it away.
    std::vector<float> left(4800), right(4800);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = right[i] = float(0.5 * std::sin(2 * std::numbers::pi * 50 * double(i) / 48000));
    lilv_instance_connect_port(plugin, lv2::kInputLeft, left.data());
    lilv_instance_connect_port(plugin, lv2::kInputRight, right.data());
    lilv_instance_connect_port(plugin, lv2::kOutputLeft, left.data());
    lilv_instance_connect_port(plugin, lv2::kOutputRight, right.data());
    lilv_instance_run(plugin, uint32_t(left.size()));
    double largest = 0;
    for (size_t i = left.size() / 2; i < left.size(); ++i)
        largest = std::max(largest, double(std::fabs(left[i])));
    EXPECT_LT(largest, 0.05) << "band 3 soloed";
    lilv_instance_deactivate(plugin);
    lilv_instance_free(plugin);
}

} // namespace
} // namespace miral::test
