// Hosts that call in an unexpected order, and a session's state carried into a new instance.
#include "plugin_fixture.h"
#include "signals.h"

#include "guarded_text.h"

#include <random>
#include <string>
#include <vector>

namespace miral::harness {
namespace {

using Lifecycle = PluginTest;
using State = PluginTest;

bool processesFinite(HostedEffect& effect) {
    Stereo input = noise(1024, 0.5f, 41);
    Stereo output(input.frames());
    processInBlocks(effect, input, output, 256);
    return countSamples(output).nonFinite == 0;
}

TEST_F(Lifecycle, ProcessingBeforeAnySetupOrResume) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(processesFinite(*effect));
}

TEST_F(Lifecycle, RepeatedResumesAndSuspends) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    effect->dispatch(effMainsChanged, 0, 1);
    effect->dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(processesFinite(*effect));
    effect->dispatch(effMainsChanged, 0, 0);
    effect->dispatch(effMainsChanged, 0, 0);
    EXPECT_TRUE(processesFinite(*effect)) << "processing while suspended";
    effect->dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(processesFinite(*effect));
}

// Passes when closing neither crashes nor hangs; what it frees, the sanitizer build checks.
TEST_F(Lifecycle, ClosingWithoutSuspendOrAfterOnlyCreating) {
    auto resumed = startedEffect();
    ASSERT_NE(resumed, nullptr);
    EXPECT_TRUE(processesFinite(*resumed));
    resumed->close();
    auto fresh = createEffect();
    ASSERT_NE(fresh, nullptr);
    fresh->close();
}

TEST_F(Lifecycle, SettingsChangedWhileResumed) {
    auto effect = startedEffect(44100.0f, 256);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(processesFinite(*effect));
    effect->dispatch(effSetSampleRate, 0, 0, nullptr, 192000.0f);
    effect->dispatch(effSetBlockSize, 0, 8192);
    EXPECT_TRUE(processesFinite(*effect));
    effect->dispatch(effSetBlockSize, 0, 0);
    effect->dispatch(effSetBlockSize, 0, -1);
    EXPECT_TRUE(processesFinite(*effect));
}

// What a host saves of an effect without chunks: every program's name and parameter values,
// and the current program.
struct SavedSession {
    std::vector<std::string> names;
    std::vector<std::vector<float>> values;
    intptr_t current = 0;
};

SavedSession save(HostedEffect& effect) {
    SavedSession saved;
    saved.current = effect.dispatch(effGetProgram);
    for (int32_t program = 0; program < kProgramCount; ++program) {
        effect.dispatch(effSetProgram, 0, program);
        GuardedText name(kProgramNameSize);
        effect.dispatch(effGetProgramName, 0, 0, name.data());
        saved.names.push_back(name.text());
        std::vector<float>& values = saved.values.emplace_back();
        for (int32_t index = 0; index < kParameterCount; ++index)
            values.push_back(effect.getParameter(index));
    }
    effect.dispatch(effSetProgram, 0, saved.current);
    return saved;
}

void restore(HostedEffect& effect, const SavedSession& saved) {
    for (int32_t program = 0; program < kProgramCount; ++program) {
        effect.dispatch(effSetProgram, 0, program);
        std::string name = saved.names[size_t(program)];
        effect.dispatch(effSetProgramName, 0, 0, name.data());
        for (int32_t index = 0; index < kParameterCount; ++index)
            effect.setParameter(index, saved.values[size_t(program)][size_t(index)]);
    }
    effect.dispatch(effSetProgram, 0, saved.current);
}

TEST_F(State, ProgramsAndParametersCarryIntoANewInstance) {
    auto original = startedEffect();
    ASSERT_NE(original, nullptr);
    std::mt19937 generator(43);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (int32_t program = 0; program < kProgramCount; ++program) {
        original->dispatch(effSetProgram, 0, program);
        std::string name = "Session " + std::to_string(program);
        original->dispatch(effSetProgramName, 0, 0, name.data());
        for (int32_t index = 0; index < kParameterCount; ++index)
            original->setParameter(index, value(generator));
    }
    original->dispatch(effSetProgram, 0, 6);
    const SavedSession saved = save(*original);

    auto copy = startedEffect();
    ASSERT_NE(copy, nullptr);
    restore(*copy, saved);
    const SavedSession restored = save(*copy);
    EXPECT_EQ(restored.names, saved.names);
    EXPECT_EQ(restored.values, saved.values);
    EXPECT_EQ(restored.current, 6);

    const Stereo input = noise(4096, 0.5f, 47);
    Stereo in = input;
    Stereo fromOriginal(input.frames());
    Stereo fromCopy(input.frames());
    original->dispatch(effMainsChanged, 0, 1);
    processInBlocks(*original, in, fromOriginal, 512);
    processInBlocks(*copy, in, fromCopy, 512);
    EXPECT_EQ(fromCopy, fromOriginal);
}

} // namespace
} // namespace miral::harness
