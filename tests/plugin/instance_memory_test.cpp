// What a plug-in instance costs while its editor is closed (hosts keep many of them), and what
// an editor's opening costs. The editor's artwork is decoded only when the first editor of the
// process opens, and shared by every editor after it. A program of its own: the artwork's
// decoding is done once per process.
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "platform/headless_screen.h"
#include "plugin/embedded_editor.h"
#include "test_support/heap_in_use.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

constexpr size_t kInstances = 100;
constexpr size_t kMostBytesPerInstance = 64 * 1024;

TEST(InstanceMemory, AVst2InstanceWithoutAnOpenEditorCostsAtMost64KiB) {
    std::string error;
    const auto library = miral::platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    const auto entry = library->entryAs<miral::host::EntryPoint>("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    // What the first instance sets up for the whole process is not any instance's cost.
    AEffect* first = entry(miral::host::hostCallback);
    ASSERT_NE(first, nullptr);

    std::vector<AEffect*> effects;
    effects.reserve(kInstances);
    const size_t before = miral::testing::heapBytesInUse();
    for (size_t i = 0; i < kInstances; ++i) {
        effects.push_back(entry(miral::host::hostCallback));
        ASSERT_NE(effects.back(), nullptr);
    }
    const size_t perInstance = (miral::testing::heapBytesInUse() - before) / kInstances;
    std::printf("VST 2 instance without an open editor: %zu bytes\n", perInstance);
    EXPECT_LE(perInstance, kMostBytesPerInstance);

    for (AEffect* effect : effects)
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f);
}

TEST(InstanceMemory, TheArtworkIsDecodedOnceForEveryEditor) {
    // The first editor of the process decodes the artwork; a second one shares it, so it costs
    // at least the decoded panel less.
    constexpr size_t kPanelBytes = 420 * 290 * 4;
    struct : miral::host::EffectListener {
        void automated(int32_t, float) override {}
    } listener;
    miral::EmbeddedEditor first(listener, {});
    miral::EmbeddedEditor second(listener, {});
    miral::platform::HeadlessScreen firstScreen(420, 290);
    miral::platform::HeadlessScreen secondScreen(420, 290);
    const auto openCost = [](miral::EmbeddedEditor& editor,
                             miral::platform::HeadlessScreen& screen) {
        const size_t before = miral::testing::heapBytesInUse();
        EXPECT_TRUE(editor.open(screen.handle()));
        editor.idle();
        return miral::testing::heapBytesInUse() - before;
    };
    const size_t firstCost = openCost(first, firstScreen);
    const size_t secondCost = openCost(second, secondScreen);
    EXPECT_GE(firstCost, secondCost + kPanelBytes) << firstCost << " then " << secondCost;
    for (int32_t x : {10, 200, 400})
        for (int32_t y : {10, 150, 280})
            EXPECT_EQ(firstScreen.pixel(x, y), secondScreen.pixel(x, y)) << x << ", " << y;
}

} // namespace
