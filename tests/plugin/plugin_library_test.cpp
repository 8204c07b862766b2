// Loads the built plug-in library the way a host does.

#include "host/loaded_plugin.h"
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using miral::host::LoadedPlugin;

TEST(PluginLibrary, ExportsBothEntryPointsWhichCreateIndependentEffects) {
    std::string error;
    const auto library = miral::platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    using miral::host::EntryPoint;
    const auto vstPluginMain = library->entryAs<EntryPoint>("VSTPluginMain");
    const auto legacyMain = library->entryAs<EntryPoint>("main");
    ASSERT_NE(vstPluginMain, nullptr);
    ASSERT_NE(legacyMain, nullptr);
    EXPECT_EQ(library->entry("_ZN12ParametricEqC1EPFlP7AEffectiilPvfE"), nullptr)
        << "internals stay hidden";

    AEffect* first = legacyMain(miral::host::hostCallback);
    AEffect* second = vstPluginMain(miral::host::hostCallback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->magic, kEffectMagic);
    first->setParameter(first, 8, 0.9f);
    EXPECT_EQ(second->getParameter(second, 8), 0.5f);
    EXPECT_EQ(first->dispatcher(first, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0), 1);

    auto refusingHost = [](AEffect*, int32_t, int32_t, intptr_t, void*, float) -> intptr_t {
        return 0;
    };
    EXPECT_EQ(legacyMain(refusingHost), nullptr);
    EXPECT_EQ(vstPluginMain(nullptr), nullptr);
}

TEST(PluginLibrary, HostProcessesAndHearsNoAutomationUntilAControlMoves) {
    LoadedPlugin plugin(MIRAL_VST_PATH);
    EXPECT_EQ(miral::host::effectText(plugin.effect(), effGetEffectName), "MIRAL");
    std::vector<std::pair<int32_t, float>> automated;
    plugin.setAutomationListener(
        [&](int32_t index, float value) { automated.emplace_back(index, value); });

    AEffect& effect = plugin.effect();
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    plugin.dispatch(effSetBlockSize, 0, 256);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effSetProgram, 0, 1); // bass boost
    std::vector<float> in(256), outL(256), outR(256);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = (i % 64 < 32) ? 0.1f : -0.1f; // low square wave
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    effect.processReplacing(&effect, inputs, outputs, 256);
    EXPECT_EQ(outL, outR);
    EXPECT_NE(outL, in);

    EXPECT_TRUE(automated.empty()); // nothing reported unless a control moves
    EXPECT_THROW(LoadedPlugin("/nonexistent/miral_vst.so"), std::runtime_error);
}

} // namespace
