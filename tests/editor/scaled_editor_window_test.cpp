// The plug-in library's editor at scales above 1 in a real window under Wine: the host's
// content-scale call resizing an open editor through the host, the double-size artwork on the
// screen pixel for pixel, and a knob dragged with the real pointer at twice the size.
#include "editor/artwork_ids.h"
#include "editor/editor_layout.h"
#include "host/host_callback.h"
#include "picture_file.h"
#include "platform/dynamic_library.h"
#include "test_support/bmp24_file.h"
#include "test_support/host_window.h"
#include "test_support/polling.h"
#include "test_support/win32/test_probe.h"
#include "vst2/vst2_interface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace miral::editor {
namespace {

constexpr int32_t kContentScaleIndex = 0x50726553;  // 'PreS'
constexpr intptr_t kContentScaleValue = 0x41654373; // 'AeCs'
constexpr int32_t kGain3 = 8;

struct Automation {
    int32_t index;
    float value;
    bool operator==(const Automation&) const = default;
};

struct SizeRequest {
    int32_t width;
    int32_t height;
    bool operator==(const SizeRequest&) const = default;
};

/// What the host heard from the effect, and the pointer path it plays while a control tracks
/// the mouse: one step at each of the effect's idle calls, then the button goes up.
struct HostRecord {
    std::vector<Automation> automations;
    std::vector<SizeRequest> sizeRequests;
    void* window = nullptr;
    std::vector<platform::Point> dragPath;
    size_t nextStep = 0;

    void playDragStep() {
        if (nextStep < dragPath.size())
            platform::win32::movePointer(window, dragPath[nextStep++]);
        else if (!dragPath.empty())
            platform::win32::releaseLeftButton();
    }
};

HostRecord* record = nullptr;

intptr_t VST2_CALL recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*,
                                 float opt) {
    switch (opcode) {
    case audioMasterVersion:
        return host::kHostVstVersion;
    case audioMasterAutomate:
        record->automations.push_back({index, opt});
        return 1;
    case audioMasterSizeWindow:
        record->sizeRequests.push_back({index, static_cast<int32_t>(value)});
        return 1;
    case audioMasterIdle:
        record->playDragStep();
        return 1;
    default:
        return 0;
    }
}

class ScaledEditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        record = &host;
        window = platform::HostWindow::open(840, 580);
        if (!window) {
            ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "no window opens on the display";
            GTEST_SKIP() << "no display to open windows on";
        }
        host.window = window->handle();
        library = platform::DynamicLibrary::load(MIRAL_VST_DLL);
        ASSERT_NE(library, nullptr);
        const auto main = library->entryAs<host::EntryPoint>("main");
        ASSERT_NE(main, nullptr);
        effect = main(recordingHost);
        ASSERT_NE(effect, nullptr);
        dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    }

    void TearDown() override {
        if (effect != nullptr)
            dispatch(effClose);
        window.reset();
        record = nullptr;
    }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    intptr_t setContentScale(float scale) {
        return dispatch(effVendorSpecific, kContentScaleIndex, kContentScaleValue, nullptr, scale);
    }

    SizeRequest editorRect() {
        ERect* rect = nullptr;
        if (dispatch(effEditGetRect, 0, 0, &rect) != 1 || rect == nullptr)
            return {};
        return {rect->right - rect->left, rect->bottom - rect->top};
    }

    /// The editor's window size on the screen.
    SizeRequest editorWindowSize() {
        void* editor = platform::win32::firstChildWindow(window->handle());
        if (editor == nullptr)
            return {};
        const platform::Point size = platform::win32::clientSize(editor);
        return {size.x, size.y};
    }

    /// Opens the editor and waits until it shows itself at `scale`.
    void openAndShow(double scale) {
        ASSERT_EQ(dispatch(effEditOpen, 0, 0, window->handle()), 1);
        waitUntilShownAt(scale);
    }

    /// Idles the editor until band 1's lamp, where `scale` puts it, shows the band on.
    void waitUntilShownAt(double scale) {
        const toolkit::CBox& band1 = kSwitches[0].box;
        const auto lamp = [&] {
            return window->pixel(static_cast<int32_t>((band1.left + 10) * scale),
                                 static_cast<int32_t>((band1.top + 9) * scale));
        };
        ASSERT_TRUE(miral::testing::repeatUntil([this] { dispatch(effEditIdle); },
                                                [&] { return lamp().red > 200; }));
    }

    /// The drag of the Linux editor's knob test, in the screen pixels of `scale`: the values
    /// the host was told.
    std::vector<Automation> dragGain3(double scale) {
        const auto onScreen = [scale](int32_t x, int32_t y) {
            return platform::Point{static_cast<int32_t>(std::ceil(x * scale)),
                                   static_cast<int32_t>(std::ceil(y * scale))};
        };
        host.automations.clear();
        host.dragPath = {onScreen(189, 62), onScreen(193, 58), onScreen(191, 68),
                         onScreen(191, 68)};
        host.nextStep = 0;
        window->setLeftButton(onScreen(183, 56), true);
        host.dragPath.clear();
        window->setLeftButton(onScreen(183, 56), false);
        return host.automations;
    }

    HostRecord host;
    std::unique_ptr<platform::HostWindow> window;
    std::unique_ptr<platform::DynamicLibrary> library;
    AEffect* effect = nullptr;
};

TEST_F(ScaledEditorWindow, TheHostsContentScaleResizesAnOpenEditorThroughTheHost) {
    EXPECT_EQ(editorRect(), (SizeRequest{420, 290}));
    openAndShow(1.0);
    EXPECT_EQ(editorWindowSize(), (SizeRequest{420, 290}));
    EXPECT_TRUE(host.sizeRequests.empty()) << "the window's own scale is the desktop's";

    ASSERT_EQ(setContentScale(2.0f), 1);
    ASSERT_EQ(host.sizeRequests, (std::vector<SizeRequest>{{840, 580}}));
    EXPECT_EQ(editorRect(), (SizeRequest{840, 580}));
    EXPECT_EQ(editorWindowSize(), (SizeRequest{840, 580}));
    waitUntilShownAt(2.0);

    // The same scale again changes nothing; the host is not asked twice.
    EXPECT_EQ(setContentScale(2.0f), 1);
    EXPECT_EQ(host.sizeRequests.size(), 1u);
    dispatch(effEditClose);
}

TEST_F(ScaledEditorWindow, NonsenseScalesAreIgnoredOrBroughtIntoRange) {
    EXPECT_EQ(setContentScale(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(editorRect(), (SizeRequest{420, 290}));
    EXPECT_EQ(setContentScale(100.0f), 1);
    EXPECT_EQ(editorRect(), (SizeRequest{1260, 870}));
    EXPECT_EQ(setContentScale(std::numeric_limits<float>::infinity()), 1);
    EXPECT_EQ(editorRect(), (SizeRequest{1260, 870}));
    EXPECT_EQ(setContentScale(-2.0f), 1);
    EXPECT_EQ(editorRect(), (SizeRequest{420, 290}));
    EXPECT_EQ(setContentScale(1.5f), 1);
    EXPECT_EQ(editorRect(), (SizeRequest{630, 435}));
    EXPECT_TRUE(host.sizeRequests.empty()) << "a closed editor's host is not asked to resize";

    // Other vendor calls are not this one.
    EXPECT_EQ(dispatch(effVendorSpecific, kContentScaleIndex, 0, nullptr, 2.0f), 0);
    EXPECT_EQ(dispatch(effVendorSpecific, 0, kContentScaleValue, nullptr, 2.0f), 0);
    EXPECT_EQ(editorRect(), (SizeRequest{630, 435}));
}

// The whole picture is saved for a look beside the full-size one.
TEST_F(ScaledEditorWindow, ASwitchAtDoubleSizeShowsTheDoubleSizeBitmapPixelForPixel) {
    // Band 5's strip is the full-colour one: on below off, each half the switch's size.
    const SwitchPlace& band5 = kSwitches[4];
    const std::vector<uint8_t> strip =
        test::fileBytes(std::string(MIRAL_RESOURCES_DIR) + "/bitmap" +
                        std::to_string(band5.stripId + kDoubleSizeIdOffset) + ".bmp");
    ASSERT_GT(strip.size(), 54u);
    ASSERT_EQ(strip[28], 24);

    ASSERT_EQ(setContentScale(2.0f), 1);
    openAndShow(2.0);
    const std::vector<platform::Rgb> screen =
        platform::win32::capturePixels(window->handle(), 840, 580);
    ASSERT_EQ(screen.size(), size_t(840 * 580));
    EXPECT_TRUE(reference::writeBmp(MIRAL_GDI_SCREENSHOT_2X, 840, 580, screen));
    const int32_t width = 2 * band5.box.width();
    const int32_t height = 2 * band5.box.height();
    int32_t differing = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (screen[size_t(2 * band5.box.top + y) * 840 + size_t(2 * band5.box.left + x)] !=
                test::bmp24Pixel(strip, x, height + y))
                ++differing;
    EXPECT_EQ(differing, 0) << "of " << width * height << " pixels of the lit switch";
    dispatch(effEditClose);
}

TEST_F(ScaledEditorWindow, AKnobDragOfDoubledScreenPixelsGivesTheFullSizeValues) {
    const float start = effect->getParameter(effect, kGain3);
    openAndShow(1.0);
    const std::vector<Automation> full = dragGain3(1.0);
    dispatch(effEditClose);
    ASSERT_EQ(full.size(), 2u) << "the knob followed the pointer";
    EXPECT_EQ(full[0].index, kGain3);

    effect->setParameter(effect, kGain3, start);
    ASSERT_EQ(setContentScale(2.0f), 1);
    openAndShow(2.0);
    EXPECT_EQ(dragGain3(2.0), full);
    dispatch(effEditClose);
}

} // namespace
} // namespace miral::editor
