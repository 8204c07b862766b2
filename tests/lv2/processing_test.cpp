// The LV2 plug-in run by a lilv host against miral process with the VST 2 plug-in: the same
// output bits for every preset and for settings in physical units; any block lengths, in
// place or not; and the sample-rate rule.

#include "test_support/command_runner.h"
#include "test_support/lv2_test_host.h"
#include "test_support/test_audio.h"

#include "engine/bypass_notice.h"
#include "engine/eq_engine.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr int64_t kFrames = 20000;
const std::vector<uint32_t> kHostBlocks{256, 1000, 7, 4096};

struct Lv2Processing : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(world.plugin(), nullptr);
        std::string pattern = (fs::temp_directory_path() / "miral-lv2-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        input = noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, kFrames, 0.8);
        writeAudio((dir / "in.wav").string(), input);
    }
    void TearDown() override { fs::remove_all(dir); }

    /// miral process over the input with the VST 2 plug-in and these options.
    std::vector<float> miralOutput(std::vector<std::string> options) {
        std::vector<std::string> args = {"process",  "in.wav",       "out.wav",
                                         "--plugin", MIRAL_VST_PATH, "-q"};
        args.insert(args.end(), options.begin(), options.end());
        const CommandResult result = runMiral(dir, args);
        EXPECT_EQ(result.status, 0) << result.err;
        return readAudio((dir / "out.wav").string()).samples;
    }

    Lv2World world;
    fs::path dir;
    Audio input;
};

TEST_F(Lv2Processing, EveryPresetGivesTheBitsOfTheVstPluginsProgram) {
    const std::vector<Lv2Preset> presets = world.presets();
    ASSERT_EQ(presets.size(), 9u);
    for (size_t number = 0; number < presets.size(); ++number) {
        SCOPED_TRACE(presets[number].label);
        Lv2Instance plugin(world, kRate);
        ASSERT_NE(plugin.instance(), nullptr);
        plugin.controls = presets[number].values;
        const std::vector<float> expected = miralOutput({"--program", std::to_string(number)});
        EXPECT_TRUE(plugin.process(input.samples, kHostBlocks) == expected);
    }
}

TEST_F(Lv2Processing, PhysicalValuesGiveTheBitsOfMiralSet) {
    Lv2Instance plugin(world, kRate);
    ASSERT_NE(plugin.instance(), nullptr);
    plugin.controls[toIndex(ParamId::Gain1)] = -7.25f;
    plugin.controls[toIndex(ParamId::Freq1)] = 120.0f;
    plugin.controls[toIndex(ParamId::OnOff2)] = 0.0f;
    plugin.controls[toIndex(ParamId::Gain2)] = 9.0f;
    plugin.controls[toIndex(ParamId::Gain3)] = 6.0f;
    plugin.controls[toIndex(ParamId::Freq3)] = 1000.0f;
    plugin.controls[toIndex(ParamId::Q3)] = 2.0f;
    plugin.controls[toIndex(ParamId::Gain6)] = 3.5f;
    plugin.controls[toIndex(ParamId::Freq6)] = 18000.0f;
    plugin.controls[toIndex(ParamId::GainRange)] = 0.75f;
    plugin.controls[toIndex(ParamId::OutputGain)] = -3.0f;
    const std::vector<float> expected = miralOutput(
        {"--set", "Gain 1=-7.25dB",  "--set", "Freq 1=120Hz",    "--set", "ON/OFF 2=off",
         "--set", "Gain 2=+9dB",     "--set", "Gain 3=+6dB",     "--set", "Freq 3=1kHz",
         "--set", "Q 3=2",           "--set", "Gain 6=3.5",      "--set", "Freq 6=18kHz",
         "--set", "Gain Range=0.75", "--set", "Output Gain=-3dB"});
    const std::vector<float> output = plugin.process(input.samples, kHostBlocks);
    EXPECT_TRUE(output == expected);
    EXPECT_FALSE(output == input.samples) << "the settings change the signal";
}

TEST_F(Lv2Processing, AnyBlockLengthsInPlaceOrNotGiveTheSameBits) {
    const ControlValues contour = world.presets().back().values;
    const auto run = [&](const std::vector<uint32_t>& blocks, bool inPlace) {
        Lv2Instance plugin(world, kRate);
        plugin.controls = contour;
        return plugin.process(input.samples, blocks, inPlace);
    };
    const std::vector<float> reference = run({kFrames}, false);
    EXPECT_TRUE(run({1}, false) == reference);
    EXPECT_TRUE(run({3, 0, 64, 1000, 17}, false) == reference);
    EXPECT_TRUE(run({333}, true) == reference);
    EXPECT_FALSE(reference == input.samples);
}

/// What the code in `action` writes to standard error.
template <typename Action> std::string standardError(Action action) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(Lv2Processing, BelowTheLowestRateTheAudioPassesWithOneNotice) {
    std::vector<float> separate;
    std::vector<float> inPlace;
    const std::string said = standardError([&] {
        Lv2Instance plugin(world, 32000.0);
        plugin.controls[toIndex(ParamId::Gain3)] = 12.0f;
        separate = plugin.process(input.samples, {512});
        inPlace = plugin.process(input.samples, {700}, true);
    });
    EXPECT_EQ(occurrences(said, kBypassNoticeText), 1u) << said;
    EXPECT_TRUE(separate == input.samples);
    EXPECT_TRUE(inPlace == input.samples);

    const std::string atLowestRate = standardError([&] {
        Lv2Instance plugin(world, kMinimumSampleRateHz);
        plugin.controls[toIndex(ParamId::Gain3)] = 12.0f;
        EXPECT_FALSE(plugin.process(input.samples, {512}) == input.samples);
    });
    EXPECT_EQ(occurrences(atLowestRate, kBypassNoticeText), 0u);
}

} // namespace
} // namespace miral::test
