// What a host's scan sees: the entry points, the record, and every opcode with empty
// arguments.
#include "call_witness.h"
#include "plugin_fixture.h"
#include "signals.h"

#include <climits>

namespace miral::harness {
namespace {

intptr_t VST2_CALL answersNothing(AEffect*, int32_t, int32_t, intptr_t, void*, float) {
    return 0;
}

using Scan = PluginTest;

TEST_F(Scan, BothEntryPointsCreateEffectsAndRefuseHostsWithoutAVersion) {
    const EntryPoint modern = entry("VSTPluginMain");
    const EntryPoint legacy = entry("main");
    ASSERT_NE(modern, nullptr);
    ASSERT_NE(legacy, nullptr);
    for (EntryPoint main : {modern, legacy}) {
        EXPECT_EQ(witnessed("entry point", 0, [&] { return main(answersNothing); }), nullptr);
        EXPECT_EQ(witnessed("entry point", 0, [&] { return main(nullptr); }), nullptr);
        auto effect = HostedEffect::create(main);
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(effect->record().magic, kEffectMagic);
    }
}

TEST_F(Scan, RecordDescribesAStereoReplacingEffect) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    const AEffect& record = effect->record();
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_NE(record.dispatcher, nullptr);
    EXPECT_NE(record.process, nullptr);
    EXPECT_NE(record.processReplacing, nullptr);
    EXPECT_NE(record.setParameter, nullptr);
    EXPECT_NE(record.getParameter, nullptr);
    EXPECT_EQ(record.numPrograms, kProgramCount);
    EXPECT_EQ(record.numParams, kParameterCount);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    EXPECT_TRUE(record.flags & effFlagsCanReplacing);
    EXPECT_FALSE(record.flags & effFlagsIsSynth);
    EXPECT_FALSE(record.flags & effFlagsProgramChunks) << "no chunk is offered";
    EXPECT_EQ(record.initialDelay, 0);
    EXPECT_EQ(record.ioRatio, 1.0f);
    EXPECT_NE(record.uniqueID, 0);
    EXPECT_GT(record.version, 0);
    EXPECT_EQ(effect->dispatch(effGetPlugCategory), 1) << "an effect";
    EXPECT_EQ(effect->dispatch(effGetVstVersion), 2300);
    EXPECT_EQ(effect->dispatch(effGetChunk, 0, 0, nullptr), 0);
}

// A scanning host probes opcodes it does not know the effect supports, often with null
// pointers; every one must return without harm. Closing, opening the editor, resuming and
// sample rates (a rate of 0 would raise the low-rate notice) are exercised elsewhere.
TEST_F(Scan, EveryOpcodeWithNullArgumentsIsHarmless) {
    auto effect = startedEffect();
    ASSERT_NE(effect, nullptr);
    for (int32_t opcode = effSetProgram; opcode <= effBeginLoadProgram + 8; ++opcode) {
        if (opcode == effClose || opcode == effEditOpen || opcode == effMainsChanged ||
            opcode == effSetSampleRate)
            continue;
        for (int32_t index : {0, -1, INT_MAX})
            effect->dispatch(opcode, index, 0, nullptr, 0.0f);
    }
    Stereo input = noise(256, 0.5f, 1);
    Stereo output(256);
    effect->dispatch(effMainsChanged, 0, 1);
    effect->process(input.at().data(), output.at().data(), 256);
    EXPECT_EQ(countSamples(output).nonFinite, 0u) << "still processes afterwards";
}

TEST_F(Scan, CanDoAnswersAreYesNoOrUnknown) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    for (const char* query : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "bypass",
                              "plugAsChannelInsert", "1in1out", "2in2out", "", "x"}) {
        std::string text = query;
        const intptr_t answer = effect->dispatch(effCanDo, 0, 0, text.data());
        EXPECT_TRUE(answer == -1 || answer == 0 || answer == 1) << query << ": " << answer;
    }
}

} // namespace
} // namespace miral::harness
