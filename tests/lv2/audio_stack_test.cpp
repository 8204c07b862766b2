// The bundle in the Linux audio stack's LV2 hosts, against miral process with the VST 2
// plug-in: GStreamer's lv2 element lists it as a stereo filter with its controls and plays the
// factory programs bit for bit; miral export --pipewire writes the presets' values, and PipeWire's
// filter-chain with that configuration plays bit for bit but for the last partial quantum.

#include "test_support/command_runner.h"
#include "test_support/lv2_test_host.h"
#include "test_support/test_audio.h"

#include "engine/physical_units.h"
#include "export/pipewire_configuration.h"
#include "lv2/ports.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000; // PipeWire's graph rate: no resampling on the way
/// The quantum pipewire_play_through.sh fixes: the frames from the last whole one on are the
/// last partial quantum.
constexpr int64_t kQuantum = 8192;
/// A client late for a cycle of the real-time dummy driver (a loaded machine without real-time
/// scheduling) repeats or skips a quantum: a play-through that differs is tried again.
constexpr int kPlayThroughAttempts = 3;
constexpr const char* kElement = "urn-tolmek-soft-miral";

struct AudioStack : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(world.plugin(), nullptr);
        std::string pattern = (fs::temp_directory_path() / "miral-stack-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    /// in.wav: float stereo noise.
    void writeInput(int64_t frames) {
        writeAudio((dir / "in.wav").string(),
                   noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, frames, 0.8));
    }

    /// miral process --float over the input with the VST 2 plug-in and these options.
    std::vector<float> miralOutput(const std::vector<std::string>& options) {
        std::vector<std::string> args = {
            "process", "in.wav", "reference.wav", "--plugin", MIRAL_VST_PATH, "--float", "-q"};
        args.insert(args.end(), options.begin(), options.end());
        const CommandResult result = runMiral(dir, args);
        EXPECT_EQ(result.status, 0) << result.err;
        return readAudio((dir / "reference.wav").string()).samples;
    }

    /// A shell command with the build tree's bundle as the only LV2 folder and a GStreamer
    /// registry of this test's own, so no other plug-in or cached scan has a say.
    std::string gstreamer(const std::string& command) const {
        return "LV2_PATH=" + shellQuoted(fs::path(MIRAL_LV2_BUNDLE).parent_path().string()) +
               " GST_REGISTRY=" + shellQuoted((dir / "registry.bin").string()) +
               " GST_REGISTRY_FORK=no " + command;
    }

    Lv2World world;
    fs::path dir;
};

/// The element's properties for a preset: the port symbol as GObject spells it, the value as
/// the preset gives it (switches as the element's booleans).
std::string elementProperties(const Lv2Preset& preset) {
    std::string properties;
    for (int32_t index = 0; index < kNumParams; ++index) {
        std::string name = lv2::controlPortSymbol(index);
        std::replace(name.begin(), name.end(), '_', '-');
        const float value = preset.values[static_cast<size_t>(index)];
        properties += " " + name + "=" +
                      (physicalScale(index).toggled ? (value > 0.0f ? "true" : "false")
                                                    : cli::exactFloatText(value));
    }
    return properties;
}

TEST_F(AudioStack, GstreamerListsAStereoFilterWithEveryControlAsAProperty) {
    const CommandResult result =
        runShell(dir, gstreamer(std::string("gst-inspect-1.0 ") + kElement));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("+----GstAudioFilter"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("channels: 2"), std::string::npos);
    for (int32_t index = 0; index < kNumParams; ++index) {
        std::string name = lv2::controlPortSymbol(index);
        std::replace(name.begin(), name.end(), '_', '-');
        EXPECT_NE(result.out.find("\n  " + name + " "), std::string::npos)
            << name << " is not a property";
    }
}

TEST_F(AudioStack, GstreamerPlaysEveryProgramBitForBit) {
#if defined(MIRAL_SANITIZED_PLUGIN)
    GTEST_SKIP() << "the host process is not instrumented and cannot run the sanitized plug-in's "
                    "audio; the release build runs this test";
#endif
    writeInput(24000);
    const std::vector<Lv2Preset> presets = world.presets();
    ASSERT_EQ(presets.size(), 9u);
    for (size_t number = 0; number < presets.size(); ++number) {
        SCOPED_TRACE(presets[number].label);
        const CommandResult result = runShell(
            dir, gstreamer("timeout 60 gst-launch-1.0 -q filesrc location=in.wav ! wavparse ! "
                           "audioconvert ! " +
                           std::string(kElement) + elementProperties(presets[number]) +
                           " ! audioconvert ! wavenc ! filesink location=gstreamer.wav"));
        ASSERT_EQ(result.status, 0) << result.err;
        const Audio played = readAudio((dir / "gstreamer.wav").string());
        EXPECT_EQ(played.rate, kRate);
        EXPECT_TRUE(played.samples == miralOutput({"--program", std::to_string(number)}));
    }
}

/// The control values of a configuration miral export wrote, by port index.
ControlValues exportedControls(const std::string& configuration) {
    ControlValues values{};
    values.fill(std::nanf(""));
    for (int32_t index = 0; index < kNumParams; ++index) {
        std::string key = "\"";
        key += lv2::controlPortSymbol(index);
        key += "\" = ";
        const size_t at = configuration.find(key);
        if (at != std::string::npos)
            values[static_cast<size_t>(index)] =
                std::strtof(configuration.c_str() + at + key.size(), nullptr);
    }
    return values;
}

TEST_F(AudioStack, PipewireExportGivesThePluginEveryProgramAsItsPresetDoes) {
    const std::vector<Lv2Preset> presets = world.presets();
    ASSERT_EQ(presets.size(), 9u);
    for (size_t number = 0; number < presets.size(); ++number) {
        SCOPED_TRACE(presets[number].label);
        const CommandResult result =
            runMiral(dir, {"export", "--pipewire", "--program", std::to_string(number)});
        ASSERT_EQ(result.status, 0) << result.err;
        const ControlValues exported = exportedControls(result.out);
        for (int32_t index = 0; index < kNumParams; ++index)
            EXPECT_EQ(
                lv2::portValueToNorm(index, exported[static_cast<size_t>(index)]),
                lv2::portValueToNorm(index, presets[number].values[static_cast<size_t>(index)]))
                << lv2::controlPortSymbol(index);
    }
}

/// Where `part` starts in `whole` (interleaved stereo), by whole frames; -1 when nowhere.
int64_t frameOffset(const std::vector<float>& whole, const std::vector<float>& part) {
    const auto found = std::search(whole.begin(), whole.end(), part.begin(), part.end());
    const auto samples = found - whole.begin();
    return found == whole.end() || samples % 2 != 0 ? -1 : samples / 2;
}

TEST_F(AudioStack, PipewireFilterChainPlaysTheExportedSettingsBitForBit) {
#if defined(MIRAL_SANITIZED_PLUGIN)
    GTEST_SKIP() << "the host process is not instrumented and cannot run the sanitized plug-in's "
                    "audio; the release build runs this test";
#endif
    const int64_t frames = 2 * kRate + 1000; // whole quanta and a partial one
    writeInput(frames);
    const std::vector<std::string> settings = {"--program",     "08 - Contour", "--set",
                                               "Gain 2=-4.5dB", "--set",        "Freq 2=2.5kHz"};
    std::vector<std::string> exportArgs = {"export", "--pipewire", "-o", "miral.conf"};
    exportArgs.insert(exportArgs.end(), settings.begin(), settings.end());
    const CommandResult exported = runMiral(dir, exportArgs);
    ASSERT_EQ(exported.status, 0) << exported.err;

    const std::vector<float> expected = miralOutput(settings);
    const int64_t compared = frames / kQuantum * kQuantum;
    ASSERT_GT(compared, 0);
    // The recorder starts a quantum or so before the player: the output starts where the
    // reference's first frames are.
    const std::vector<float> start(expected.begin(), expected.begin() + 128);
    std::string differences;
    for (int attempt = 1; attempt <= kPlayThroughAttempts; ++attempt) {
        const CommandResult played =
            runShell(dir, "bash " + shellQuoted(MIRAL_PIPEWIRE_PLAY_THROUGH) + " " +
                              shellQuoted(fs::path(MIRAL_LV2_BUNDLE).parent_path().string()) +
                              " miral.conf in.wav recorded.wav");
        ASSERT_EQ(played.status, 0) << played.err;
        const std::vector<float> recorded = readAudio((dir / "recorded.wav").string()).samples;
        const int64_t offset = frameOffset(recorded, start);
        if (offset >= 0 && static_cast<int64_t>(recorded.size()) / 2 >= offset + compared &&
            std::equal(expected.begin(), expected.begin() + 2 * compared,
                       recorded.begin() + 2 * offset))
            return;
        differences += "attempt " + std::to_string(attempt) + ": the output found at frame " +
                       std::to_string(offset) + " of " + std::to_string(recorded.size() / 2) +
                       " differs within its first " + std::to_string(compared) + " frames\n";
    }
    ADD_FAILURE() << differences;
}

} // namespace
} // namespace miral::test
