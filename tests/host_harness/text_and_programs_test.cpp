// Text opcodes into host buffers of their documented sizes with guard bytes around them, and
// the programs: names, switching, indices out of range.
#include "guarded_text.h"
#include "plugin_fixture.h"

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace miral::harness {
namespace {

constexpr int32_t kHostileIndices[] = {-1, kParameterCount, INT_MAX, INT_MIN};

struct TextOpcode {
    int32_t opcode;
    size_t size;
};

using Texts = PluginTest;
using Programs = PluginTest;

// The text of `opcode` for `index` through a guarded buffer of `size` bytes; a failure names
// the opcode and index.
std::string guardedText(HostedEffect& effect, int32_t opcode, int32_t index, size_t size) {
    GuardedText buffer(size);
    effect.dispatch(opcode, index, 0, buffer.data());
    EXPECT_TRUE(buffer.guardsIntact())
        << "opcode " << opcode << " index " << index << " wrote outside " << size << " bytes";
    EXPECT_TRUE(buffer.terminated()) << "opcode " << opcode << " index " << index;
    return buffer.text();
}

TEST_F(Texts, ParameterTextsFitTheirBuffersAtEveryIndex) {
    auto effect = startedEffect();
    ASSERT_NE(effect, nullptr);
    const TextOpcode parameterTexts[] = {{effGetParamName, kParameterNameSize},
                                         {effGetParamLabel, kParameterTextSize},
                                         {effGetParamDisplay, kParameterTextSize}};
    for (int32_t program = 0; program < kProgramCount; ++program) {
        effect->dispatch(effSetProgram, 0, program);
        for (const TextOpcode& text : parameterTexts)
            for (int32_t index = 0; index < kParameterCount; ++index)
                guardedText(*effect, text.opcode, index, text.size);
    }
    for (const TextOpcode& text : parameterTexts)
        for (int32_t index : kHostileIndices)
            EXPECT_EQ(guardedText(*effect, text.opcode, index, text.size), "")
                << "opcode " << text.opcode << " index " << index;
    for (int32_t index = 0; index < kParameterCount; ++index)
        EXPECT_NE(guardedText(*effect, effGetParamName, index, kParameterNameSize), "");
}

TEST_F(Texts, DisplaysFitTheirBuffersAtExtremeParameterValues) {
    auto effect = startedEffect();
    ASSERT_NE(effect, nullptr);
    for (float value : {0.0f, 1e-7f, 0.5f, 1.0f, -1.0f, 2.0f, 1e30f, -1e30f}) {
        for (int32_t index = 0; index < kParameterCount; ++index) {
            effect->setParameter(index, value);
            guardedText(*effect, effGetParamDisplay, index, kParameterTextSize);
        }
    }
}

TEST_F(Texts, IdentityTextsFitTheirBuffers) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(guardedText(*effect, effGetEffectName, 0, kEffectNameSize), "MIRAL");
    EXPECT_NE(guardedText(*effect, effGetVendorString, 0, kVendorTextSize), "");
    EXPECT_NE(guardedText(*effect, effGetProductString, 0, kVendorTextSize), "");
    for (int32_t index : kHostileIndices) {
        guardedText(*effect, effGetEffectName, index, kEffectNameSize);
        guardedText(*effect, effGetVendorString, index, kVendorTextSize);
    }
}

TEST_F(Programs, NamesFitTheirBuffersAndOutOfRangeIndicesWriteNothing) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    std::vector<std::string> names;
    for (int32_t program = 0; program < kProgramCount; ++program) {
        EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, program, 0,
                                   GuardedText(kProgramNameSize).data()),
                  1);
        names.push_back(guardedText(*effect, effGetProgramNameIndexed, program, kProgramNameSize));
        EXPECT_NE(names.back(), "") << program;
    }
    for (int32_t index : {-1, kProgramCount, INT_MAX, INT_MIN}) {
        EXPECT_EQ(guardedText(*effect, effGetProgramNameIndexed, index, kProgramNameSize), "");
    }
    for (int32_t program = 0; program < kProgramCount; ++program) {
        effect->dispatch(effSetProgram, 0, program);
        EXPECT_EQ(effect->dispatch(effGetProgram), program);
        EXPECT_EQ(guardedText(*effect, effGetProgramName, 0, kProgramNameSize),
                  names[size_t(program)]);
    }
}

TEST_F(Programs, LongNamesAreCutToTheBufferAndKeptPerProgram) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    std::string longName(200, 'n');
    effect->dispatch(effSetProgram, 0, 2);
    effect->dispatch(effSetProgramName, 0, 0, longName.data());
    const std::string stored = guardedText(*effect, effGetProgramName, 0, kProgramNameSize);
    EXPECT_EQ(stored, std::string(kProgramNameSize - 1, 'n'));
    EXPECT_EQ(guardedText(*effect, effGetProgramNameIndexed, 2, kProgramNameSize), stored);
    std::string empty;
    effect->dispatch(effSetProgram, 0, 3);
    effect->dispatch(effSetProgramName, 0, 0, empty.data());
    EXPECT_EQ(guardedText(*effect, effGetProgramNameIndexed, 2, kProgramNameSize), stored);
}

TEST_F(Programs, SwitchingLoadsEachProgramsValuesAndOutOfRangeIsIgnored) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    std::vector<std::vector<float>> values(kProgramCount);
    for (int32_t program = 0; program < kProgramCount; ++program) {
        effect->dispatch(effSetProgram, 0, program);
        for (int32_t index = 0; index < kParameterCount; ++index) {
            const float value = effect->getParameter(index);
            EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << program << "/" << index << ": " << value;
            values[size_t(program)].push_back(value);
        }
    }
    EXPECT_NE(values[0], values[1]) << "programs differ";
    effect->dispatch(effSetProgram, 0, 4);
    for (intptr_t hostile :
         {intptr_t(-1), intptr_t(kProgramCount), intptr_t(INT_MAX), intptr_t(INT_MIN)}) {
        effect->dispatch(effSetProgram, 0, hostile);
        EXPECT_EQ(effect->dispatch(effGetProgram), 4) << hostile;
    }
    for (int32_t index = 0; index < kParameterCount; ++index)
        EXPECT_EQ(effect->getParameter(index), values[4][size_t(index)]) << index;
    // Edits stay with the program they were made in.
    effect->setParameter(0, 0.9f);
    effect->dispatch(effSetProgram, 0, 5);
    effect->dispatch(effSetProgram, 0, 4);
    EXPECT_EQ(effect->getParameter(0), 0.9f);
}

TEST_F(Programs, ParameterAccessOutOfRangeIsHarmless) {
    auto effect = createEffect();
    ASSERT_NE(effect, nullptr);
    for (int32_t index : kHostileIndices) {
        effect->setParameter(index, 0.3f);
        const float value = effect->getParameter(index);
        EXPECT_TRUE(std::isfinite(value)) << index;
    }
    for (int32_t index = 0; index < kParameterCount; ++index)
        EXPECT_TRUE(std::isfinite(effect->getParameter(index)));
}

} // namespace
} // namespace miral::harness
