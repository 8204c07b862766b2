#include "test_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>

namespace {

// ---------------------------------------------------------------------------------------------
// The record as a host first sees it.

TEST(EffectRecord, StartsWithTheBaseDefaults) {
    TestEffect effect;
    const AEffect* record = effect.getAeffect();

    EXPECT_EQ(record->magic, kEffectMagic);
    EXPECT_NE(record->dispatcher, nullptr);
    EXPECT_NE(record->process, nullptr);
    EXPECT_NE(record->processReplacing, nullptr);
    EXPECT_NE(record->setParameter, nullptr);
    EXPECT_NE(record->getParameter, nullptr);
    EXPECT_EQ(record->numPrograms, 9);
    EXPECT_EQ(record->numParams, 26);
    EXPECT_EQ(record->numInputs, 1);
    EXPECT_EQ(record->numOutputs, 2);
    EXPECT_EQ(record->flags, 0);
    EXPECT_EQ(record->resvd1, 0);
    EXPECT_EQ(record->resvd2, 0);
    EXPECT_EQ(record->initialDelay, 0);
    EXPECT_EQ(record->realQualities, 0);
    EXPECT_EQ(record->offQualities, 0);
    EXPECT_EQ(record->ioRatio, 1.0f);
    EXPECT_EQ(record->object, static_cast<AudioEffect*>(&effect));
    EXPECT_EQ(record->user, nullptr);
    EXPECT_EQ(record->uniqueID, 0x4e6f4566);
    EXPECT_EQ(record->version, 1);
    for (char byte : record->future) {
        EXPECT_EQ(byte, 0);
    }
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);
    EXPECT_EQ(effect.getEditor(), nullptr);
}

TEST(EffectRecord, AudioAndParameterEntriesReachTheEffect) {
    TestEffect effect;
    AEffect* record = effect.getAeffect();
    float sample = 0.0f;
    float* channels[2] = {&sample, &sample};

    record->process(record, channels, channels, 17);
    record->processReplacing(record, channels, channels, 23);
    record->setParameter(record, 5, 0.75f);

    EXPECT_EQ(effect.processFrames, 17);
    EXPECT_EQ(effect.replacingFrames, 23);
    EXPECT_EQ(effect.lastParamIndex, 5);
    EXPECT_EQ(effect.lastParamValue, 0.75f);
    EXPECT_EQ(record->getParameter(record, 3), 0.75f);
}

TEST(EffectRecord, FlagSettersSetAndClearTheirBits) {
    struct Case {
        void (AudioEffectX::*setter)(bool);
        int32_t bit;
    };
    const Case cases[] = {
        {&AudioEffectX::hasClip, 2},
        {&AudioEffectX::hasVu, 4},
        {&AudioEffectX::canMono, 8},
        {&AudioEffectX::canProcessReplacing, 16},
        {&AudioEffectX::programsAreChunks, 32},
        {&AudioEffectX::isSynth, 256},
        {&AudioEffectX::noTail, 512},
        {&AudioEffectX::wantAsyncOperation, 1024},
        {&AudioEffectX::hasExternalBuffer, 2048},
    };
    for (const Case& c : cases) {
        TestEffect effect;
        const int32_t& flags = effect.getAeffect()->flags;
        (effect.*c.setter)(true);
        EXPECT_EQ(flags, c.bit);
        effect.hasVu(c.bit != effFlagsHasVu); // another bit stays as it is
        (effect.*c.setter)(false);
        EXPECT_EQ(flags & c.bit, 0) << "bit " << c.bit;
        EXPECT_EQ(flags & effFlagsHasVu, c.bit != effFlagsHasVu ? effFlagsHasVu : 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Results of every opcode, with an effect that answers like the equaliser and has an editor.

struct Call {
    int32_t index = 0;
    intptr_t value = 0;
    float opt = 0.0f;
    intptr_t result = 0;
};

// Opcodes with a non-zero result or arguments that matter; every other opcode in -1..80 (but
// effClose, which ends the effect) is called with zero arguments and must return 0.
const std::map<int32_t, Call> kNonZeroResults = {
    {effEditGetRect, {.result = 1}},
    {effEditOpen, {.result = 1}},
    {effIdentify, {.result = 0x4e764566}},
    {effCanBeAutomated, {.index = 25, .result = 1}},
    {effGetNumProgramCategories, {.result = 1}},
    {effGetProgramNameIndexed, {.index = 8, .result = 1}},
    {effConnectInput, {.index = 1, .value = 1, .result = 1}},
    {effConnectOutput, {.index = 1, .value = 0, .result = 1}},
    {effGetPlugCategory, {.result = 1}},
    {effSetBlockSizeAndSampleRate, {.value = 512, .opt = 48000.0f, .result = 1}},
    {effGetEffectName, {.result = 1}},
    {effGetVendorString, {.result = 1}},
    {effGetProductString, {.result = 1}},
    {effGetVendorVersion, {.result = 1000}},
    {effKeysRequired, {.result = 1}},
    {effGetVstVersion, {.result = 2300}},
    {effEditKeyDown, {.index = 'a', .result = 1}},
    {effEditKeyUp, {.index = 'a', .result = 1}},
    {effSetEditKnobMode, {.value = 2, .result = 1}},
    {effGetCurrentMidiProgram, {.result = -1}},
    {effSetTotalSampleToProcess, {.value = 4096, .result = 4096}},
};

TEST(Dispatcher, AnswersEveryOpcodeWithItsResult) {
    for (int32_t opcode = -1; opcode <= 80; ++opcode) {
        if (opcode == effClose) {
            continue;
        }
        const auto listed = kNonZeroResults.find(opcode);
        const Call call = listed != kNonZeroResults.end() ? listed->second : Call{};

        TestEffect effect;
        new TestEditor(&effect);
        alignas(void*) char buffer[64] = "bypass"; // also the capability asked by effCanDo
        EXPECT_EQ(dispatch(effect.getAeffect(), opcode, call.index, call.value, buffer, call.opt),
                  call.result)
            << "opcode " << opcode;
    }
}

TEST(Dispatcher, EditorOpcodesWithoutAnEditorDoNothing) {
    for (int32_t opcode : {effEditGetRect, effEditOpen, effEditClose, effEditIdle, effEditKeyDown,
                           effEditKeyUp, effSetEditKnobMode}) {
        TestEffect effect;
        ERect* rect = nullptr;
        EXPECT_EQ(dispatch(effect.getAeffect(), opcode, 'a', 1, &rect), 0) << "opcode " << opcode;
        EXPECT_EQ(rect, nullptr);
    }
}

TEST(Dispatcher, CloseReturnsOneAndDeletesTheEffectAndItsEditor) {
    bool effectGone = false;
    bool editorGone = false;
    auto* effect = new TestEffect(nullptr, &effectGone);
    new TestEditor(effect, &editorGone);

    EXPECT_EQ(dispatch(effect->getAeffect(), effClose), 1);
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
}

TEST(Dispatcher, SetProgramIgnoresValuesOutsideTheProgramRange) {
    struct Case {
        intptr_t value;
        bool accepted;
    };
    for (const Case c : {Case{-1, false}, Case{0, true}, Case{8, true}, Case{9, false},
                         Case{intptr_t{1} << 31, false}}) {
        TestEffect effect;
        effect.setProgram(4);
        effect.setProgramCalls = 0;

        EXPECT_EQ(dispatch(effect.getAeffect(), effSetProgram, 0, c.value), 0);
        EXPECT_EQ(effect.setProgramCalls, c.accepted ? 1 : 0) << "value " << c.value;
        EXPECT_EQ(dispatch(effect.getAeffect(), effGetProgram), c.accepted ? c.value : 4);
    }
}

TEST(Dispatcher, GetChunkLeavesThePointerUntouched) {
    TestEffect effect;
    int sentinel = 0;
    void* data = &sentinel;

    EXPECT_EQ(dispatch(effect.getAeffect(), effGetChunk, 1, 0, &data), 0);
    EXPECT_EQ(data, &sentinel);
    EXPECT_TRUE(effect.chunkWasPreset);
}

TEST(Dispatcher, SetChunkPassesSizeAndKind) {
    TestEffect effect;
    char chunk[16] = {};

    EXPECT_EQ(dispatch(effect.getAeffect(), effSetChunk, 0, sizeof chunk, chunk), 0);
    EXPECT_EQ(effect.setChunkSize, 16);
    EXPECT_FALSE(effect.chunkWasPreset);
}

TEST(Dispatcher, PointerOpcodesGivenNullDoNothing) {
    // The test effect's text operations would write through the pointer if they were called.
    TestEffect effect;
    new TestEditor(&effect);
    for (int32_t opcode :
         {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
          effGetParamName, effEditGetRect, effGetChunk, effSetChunk, effString2Parameter,
          effGetProgramNameIndexed, effGetEffectName, effGetErrorText, effGetVendorString,
          effGetProductString, effCanDo, effShellGetNextPlugin}) {
        EXPECT_EQ(dispatch(effect.getAeffect(), opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    }
    EXPECT_EQ(effect.programName, "Init");
}

TEST(Dispatcher, TextOpcodesFillTheHostsBuffer) {
    struct Case {
        int32_t opcode;
        int32_t index;
        const char* text;
    };
    const Case cases[] = {
        {effGetProgramName, 0, "Init"},
        {effGetParamLabel, 0, " dB "},
        {effGetParamDisplay, 3, "3.000000"},
        {effGetParamName, 0, "Gain 1"},
        {effGetProgramNameIndexed, 0, "00 - Flat"},
        {effGetEffectName, 0, "MIRAL"},
        {effGetVendorString, 0, "TOLMEK Soft"},
        {effGetProductString, 0, "TOLMEK Soft MIRAL"},
    };
    for (const Case& c : cases) {
        TestEffect effect;
        char text[64] = "untouched";
        dispatch(effect.getAeffect(), c.opcode, c.index, 0, text);
        EXPECT_STREQ(text, c.text) << "opcode " << c.opcode;
    }
}

TEST(Dispatcher, ProgramNameIndexedTakesCategoryFromValueAndRefusesUnknownPrograms) {
    TestEffect effect;
    char text[32] = "untouched";

    EXPECT_EQ(dispatch(effect.getAeffect(), effGetProgramNameIndexed, 9, 7, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(effect.lastCategory, 7);
}

TEST(Dispatcher, SetProgramNameStoresTheHostsText) {
    TestEffect effect;
    char name[] = "My curve";

    dispatch(effect.getAeffect(), effSetProgramName, 0, 0, name);
    EXPECT_EQ(effect.programName, "My curve");
}

TEST(Dispatcher, SampleRateBlockSizeAndMainsReachTheEffect) {
    TestEffect effect;
    AEffect* record = effect.getAeffect();

    dispatch(record, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    dispatch(record, effSetBlockSize, 0, 256);
    dispatch(record, effMainsChanged, 0, 0);
    dispatch(record, effMainsChanged, 0, 1);
    dispatch(record, effMainsChanged, 0, -3);

    EXPECT_EQ(effect.getSampleRate(), 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
    EXPECT_EQ(effect.suspendCalls, 1);
    EXPECT_EQ(effect.resumeCalls, 2);
}

TEST(Dispatcher, BlockSizeAndSampleRateTogetherOnlyStoreTheMembers) {
    TestEffect effect;

    dispatch(effect.getAeffect(), effSetBlockSizeAndSampleRate, 0, 2048, nullptr, 22050.0f);

    EXPECT_EQ(effect.blockSizeMember(), 2048);
    EXPECT_EQ(effect.sampleRateMember(), 22050.0f);
    EXPECT_EQ(effect.blockSizeCalls, 0);
    EXPECT_EQ(effect.sampleRateCalls, 0);
}

TEST(Dispatcher, SpeakerArrangementQueryClearsBothPointers) {
    TestEffect effect;
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;

    EXPECT_EQ(dispatch(effect.getAeffect(), effGetSpeakerArrangement, 0,
                       reinterpret_cast<intptr_t>(&input), &output),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    // Missing pointers are skipped.
    EXPECT_EQ(dispatch(effect.getAeffect(), effGetSpeakerArrangement), 0);
}

TEST(Dispatcher, EditorOpcodesReachTheEditor) {
    TestEffect effect;
    auto* editor = new TestEditor(&effect);
    AEffect* record = effect.getAeffect();
    int window = 0;
    ERect* rect = nullptr;

    EXPECT_EQ(dispatch(record, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->rect);
    EXPECT_EQ(dispatch(record, effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(editor->parentWindow(), &window);
    editor->postUpdate();
    dispatch(record, effEditIdle);
    EXPECT_EQ(editor->updateCalls, 1);
    dispatch(record, effEditClose);
    EXPECT_EQ(editor->closeCalls, 1);
    dispatch(record, effSetEditKnobMode, 0, 2);
    EXPECT_EQ(editor->knobMode, 2);
}

TEST(Dispatcher, KeyOpcodesBuildTheKeyRecord) {
    struct Case {
        int32_t opcode;
        int32_t character;
        intptr_t value;
        float opt;
        VstKeyCode key;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {effEditKeyDown, 'a', 0, 0.0f, {'a', 0, 0}},
        {effEditKeyUp, 0, 0x1234, 258.9f, {0, 0x34, 2}},
        {effEditKeyDown, 'x', 7, -1.0f, {'x', 7, 0xff}},
        {effEditKeyDown, 'q', 1, nan, {'q', 1, 0}},
        {effEditKeyDown, 'q', 1, 1e20f, {'q', 1, 0}},
    };
    for (const Case& c : cases) {
        TestEffect effect;
        auto* editor = new TestEditor(&effect);
        dispatch(effect.getAeffect(), c.opcode, c.character, c.value, nullptr, c.opt);
        EXPECT_EQ(editor->lastKey.character, c.key.character);
        EXPECT_EQ(editor->lastKey.virt, c.key.virt);
        EXPECT_EQ(editor->lastKey.modifier, c.key.modifier) << "opt " << c.opt;
    }
}

} // namespace
