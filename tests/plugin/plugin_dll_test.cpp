// The Windows plug-in library as a Windows host uses it: LoadLibrary, GetProcAddress("main"),
// then everything through the effect record.
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "reference_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using miral::host::EntryPoint;
using miral::host::hostCallback;
using miral::platform::DynamicLibrary;

class PluginDll : public ::testing::Test {
protected:
    void SetUp() override {
        library = DynamicLibrary::load(MIRAL_VST_DLL);
        ASSERT_NE(library, nullptr) << "cannot load " << MIRAL_VST_DLL;
        main = library->entryAs<EntryPoint>("main");
        ASSERT_NE(main, nullptr);
    }

    std::string text(AEffect* effect, int32_t opcode, int32_t index = 0) {
        char buffer[256] = {};
        effect->dispatcher(effect, opcode, index, 0, buffer, 0.0f);
        return buffer;
    }

    std::unique_ptr<DynamicLibrary> library;
    EntryPoint main = nullptr;
};

TEST_F(PluginDll, MainCreatesIndependentEffectsForHostsThatAnswerTheVersion) {
    EXPECT_EQ(library->entry("VSTPluginMain"), reinterpret_cast<void*>(main));
    AEffect* first = main(hostCallback);
    AEffect* second = main(hostCallback);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first->setParameter(first, 8, 0.9f);
    EXPECT_EQ(first->getParameter(first, 8), 0.9f);
    EXPECT_EQ(second->getParameter(second, 8), 0.5f);
    EXPECT_EQ(first->dispatcher(first, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(second->dispatcher(second, effClose, 0, 0, nullptr, 0.0f), 1);

    auto refusingHost = [](AEffect*, int32_t, int32_t, intptr_t, void*, float) -> intptr_t {
        return 0;
    };
    EXPECT_EQ(main(refusingHost), nullptr);
    EXPECT_EQ(main(nullptr), nullptr);
}

TEST_F(PluginDll, PresentsItsIdentityThroughTheRecordAndTheDispatcher) {
    AEffect* effect = main(hostCallback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, 0x39387a34);
    EXPECT_EQ(effect->numPrograms, 9);
    EXPECT_EQ(effect->numParams, 26);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsHasVu | effFlagsCanReplacing);
    EXPECT_NE(effect->processReplacing, nullptr);

    EXPECT_EQ(text(effect, effGetEffectName), "MIRAL");
    EXPECT_EQ(text(effect, effGetVendorString), "TOLMEK Soft");
    EXPECT_EQ(text(effect, effGetProductString), "TOLMEK Soft MIRAL");
    EXPECT_EQ(effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f), 1000);
    EXPECT_EQ(effect->dispatcher(effect, effGetVstVersion, 0, 0, nullptr, 0.0f), 2300);
    EXPECT_EQ(effect->dispatcher(effect, effGetPlugCategory, 0, 0, nullptr, 0.0f), 1);
    char canDo[] = "receiveVstEvents";
    EXPECT_EQ(effect->dispatcher(effect, effCanDo, 0, 0, canDo, 0.0f), 0);
    EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 0, 0, nullptr, 0.0f), 0);

    EXPECT_EQ(text(effect, effGetProgramNameIndexed, 0), "00 - Flat");
    EXPECT_EQ(text(effect, effGetProgramNameIndexed, 8), "08 - Contour");
    EXPECT_EQ(text(effect, effGetParamName, 3), "ON/OFF 1");
    EXPECT_EQ(text(effect, effGetParamName, 25), "Output Gain");
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

std::vector<float> readFloats(const char* path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return {};
    std::vector<float> values(size_t(file.tellg()) / sizeof(float));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(values.data()),
              static_cast<std::streamsize>(values.size() * sizeof(float)));
    return values;
}

// Both builds run the same arithmetic with SSE2 doubles; only the C libraries' transcendental
// functions in the band designs may differ in a last bit.
TEST_F(PluginDll, ProcessesTheReferenceBlockAsTheLinuxBuildDoes) {
    const std::vector<float> expected = readFloats(MIRAL_REFERENCE_BLOCK);
    ASSERT_EQ(expected.size(), size_t(2 * miral::reference::kFrames)) << MIRAL_REFERENCE_BLOCK;

    AEffect* effect = main(hostCallback);
    ASSERT_NE(effect, nullptr);
    const miral::reference::Channels output = miral::reference::renderReferenceBlock(*effect);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);

    EXPECT_NE(output.left, miral::reference::referenceInput().left) << "not processed";

    std::vector<float> actual = output.left;
    actual.insert(actual.end(), output.right.begin(), output.right.end());
    double largest = 0.0;
    size_t differing = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        // Relative to the sample, or to 1e-3 for quieter ones, whose relative error means little.
        const double scale = std::max(std::fabs(double(expected[i])), 1e-3);
        const double difference = std::fabs(double(actual[i]) - double(expected[i])) / scale;
        largest = std::max(largest, difference);
        differing += actual[i] != expected[i];
        ASSERT_LE(difference, 1e-6)
            << "sample " << i << ": " << actual[i] << " against " << expected[i];
    }
    std::printf("largest relative difference to the Linux build: %.3g (%zu of %zu samples "
                "differ)\n",
                largest, differing, actual.size());
    RecordProperty("largest_relative_difference", std::to_string(largest));
}

} // namespace
