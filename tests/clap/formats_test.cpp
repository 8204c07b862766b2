// The same real-unit values in every format give the same bits: the CLAP plug-in, given each
// LV2 preset's port values as parameter events at frame 0 of its first block (where nothing
// glides), the LV2 plug-in with those port values, and miral process with the VST 2 plug-in's
// factory program. Loading the program or a user's preset file through the host's preset
// browser gives those bits too.

#include "clap_test_host.h"
#include "test_support/command_runner.h"
#include "test_support/lv2_test_host.h"
#include "test_support/test_audio.h"

#include "clap_abi/presets.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr int64_t kFrames = 12000;
constexpr uint32_t kClapBlock = 1000;

using ClapSetUp = std::function<void(clap_test::Instance&, clap_test::EventList&)>;

/// Interleaved stereo through the CLAP plug-in in blocks of kClapBlock; `setUp` is given the
/// instance before its activation and the events of the first block.
std::vector<float> clapOutput(const std::vector<float>& interleaved, const ClapSetUp& setUp) {
    clap_test::Instance instance;
    clap_test::EventList first;
    EXPECT_TRUE(instance.valid());
    setUp(instance, first);
    EXPECT_TRUE(instance.start(kRate, kClapBlock));
    std::vector<float> output(interleaved.size());
    const size_t frames = interleaved.size() / 2;
    for (size_t begin = 0; begin < frames; begin += kClapBlock) {
        const size_t length = std::min<size_t>(kClapBlock, frames - begin);
        clap_test::AudioBlock in(2, static_cast<uint32_t>(length));
        clap_test::AudioBlock out(2, static_cast<uint32_t>(length));
        for (size_t i = 0; i < length; ++i)
            for (size_t c = 0; c < 2; ++c)
                in.channels[c][i] = interleaved[2 * (begin + i) + c];
        EXPECT_EQ(instance.process(in, out, begin == 0 ? first : clap_test::EventList()),
                  CLAP_PROCESS_CONTINUE);
        for (size_t i = 0; i < length; ++i)
            for (size_t c = 0; c < 2; ++c)
                output[2 * (begin + i) + c] = out.channels[c][i];
    }
    return output;
}

bool load(clap_test::Instance& instance, uint32_t kind, const char* location, const char* key) {
    const auto* presetLoad = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    return presetLoad != nullptr &&
           presetLoad->from_location(instance.plugin(), kind, location, key);
}

TEST(EveryFormat, TheNineProgramsGiveTheSameBitsInClapLv2AndVst2) {
    Lv2World world;
    ASSERT_NE(world.plugin(), nullptr);
    std::string pattern = (fs::temp_directory_path() / "miral-formats-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const Audio input = noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, kFrames, 0.8);
    writeAudio((dir / "in.wav").string(), input);

    const std::vector<Lv2Preset> presets = world.presets();
    ASSERT_EQ(presets.size(), 9u);
    for (size_t number = 0; number < presets.size(); ++number) {
        SCOPED_TRACE(presets[number].label);
        const CommandResult result =
            runMiral(dir, {"process", "in.wav", "out.wav", "--plugin", MIRAL_VST_PATH, "-q",
                           "--program", std::to_string(number)});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::vector<float> vst = readAudio((dir / "out.wav").string()).samples;
        Lv2Instance lv2(world, kRate);
        ASSERT_NE(lv2.instance(), nullptr);
        lv2.controls = presets[number].values;
        EXPECT_TRUE(lv2.process(input.samples, {kClapBlock}) == vst) << "LV2";
        const ControlValues& values = presets[number].values;
        EXPECT_TRUE(clapOutput(input.samples,
                               [&](clap_test::Instance&, clap_test::EventList& events) {
                                   for (uint32_t id = 0; id < kNumParams; ++id)
                                       events.addValue(0, id, values[id]);
                               }) == vst)
            << "CLAP";
        const std::string key = std::to_string(number);
        EXPECT_TRUE(clapOutput(input.samples,
                               [&](clap_test::Instance& instance, clap_test::EventList&) {
                                   EXPECT_TRUE(load(instance, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                                                    nullptr, key.c_str()));
                               }) == vst)
            << "CLAP preset";
    }

    const std::string preset = (dir / "fitted.txt").string();
    std::ofstream(preset) << "Gain 1=-7.25dB\nFreq 1=120Hz\nQ 3=2\nGain 3=+6\nFreq 3=1kHz\n"
                             "ON/OFF 2=off\nGain Range=0.75\nOutput Gain=-3dB\n";
    const CommandResult result = runMiral(dir, {"process", "in.wav", "out.wav", "--plugin",
                                                MIRAL_VST_PATH, "-q", "--preset", preset});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(clapOutput(input.samples,
                           [&](clap_test::Instance& instance, clap_test::EventList&) {
                               EXPECT_TRUE(load(instance, CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                                preset.c_str(), nullptr));
                           }) == readAudio((dir / "out.wav").string()).samples)
        << "user preset";
    fs::remove_all(dir);
}

} // namespace
} // namespace miral::test
