#include "commands/demo_command.h"

#include "audio_files/audio_file.h"
#include "commands/demo_signal.h"
#include "commands/process_command.h"
#include "host/loaded_plugin.h"
#include "plugin_driving/editor_snapshot.h"
#include "plugin_driving/plugin_renderer.h"
#include "reporting/level_meter.h"
#include "reporting/region_levels.h"

#include <sndfile.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace miral::cli {
namespace {

constexpr int32_t kChannels = 2;
constexpr int kDemoFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT; // keeps the boosts' overs intact

/// "05-no-hiss.wav" for "05 - No hiss": lower case, runs of other characters as one hyphen.
std::string fileNameFor(const std::string& programName) {
    std::string name;
    for (const char c : programName) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!name.empty() && name.back() != '-')
            name += '-';
    }
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    return name + ".wav";
}

void writeWav(const std::filesystem::path& path, std::vector<float> interleaved) {
    OutputFile file(path.string(), false);
    AudioOutput output(file, kDemoFormat, kChannels, kDemoSampleRateHz);
    output.write(interleaved.data(), static_cast<int64_t>(interleaved.size() / kChannels));
    output.commit();
}

double peakOf(const std::vector<float>& samples) {
    LevelMeter meter;
    meter.add(samples.data(), samples.size());
    return meter.peak();
}

} // namespace

void runDemo(const DemoOptions& options) {
    host::LoadedPlugin plugin(options.pluginPath);
    const std::filesystem::path directory(options.outputDirectory);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw std::runtime_error("cannot create " + directory.string() + ": " + error.message());

    const std::vector<float> input = synthesiseDemoSignal();
    writeWav(directory / "input.wav", input);
    const RegionPowers before = measureRegionPowers(input, kChannels, kDemoSampleRateHz);

    std::printf("%.0f s of synthesised audio through each factory program, into %s/\n\n",
                kDemoSeconds, directory.string().c_str());
    std::printf("%-24s %8s %8s %8s %10s  %s\n", "program", "low", "mid", "high", "peak", "file");
    std::printf("%-24s %8s %8s %8s %10s  %s\n", "(input)", "", "", "",
                formatDbfs(peakOf(input)).c_str(), "input.wav");
    const std::vector<std::string> programs = host::programNames(plugin.effect());
    InProcessEqualiser pictured(options.pictureScale); // draws the editor of each program
    for (size_t p = 0; p < programs.size(); ++p) {
        plugin.dispatch(effSetProgram, 0, static_cast<intptr_t>(p));
        std::vector<float> output = input;
        {
            PluginRenderer renderer(plugin, static_cast<float>(kDemoSampleRateHz),
                                    kDefaultBlockFrames, kChannels);
            renderer.process(output.data(), static_cast<int64_t>(output.size() / kChannels));
        }
        const std::string fileName = fileNameFor(programs[p]);
        writeWav(directory / fileName, output);
        pictured.dispatch(effSetProgram, 0, static_cast<intptr_t>(p));
        pictured.saveEditorPicture(
            (directory / std::filesystem::path(fileName).replace_extension(".png")).string(),
            false);
        const RegionPowers after = measureRegionPowers(output, kChannels, kDemoSampleRateHz);
        std::printf("%-24s %+5.1f dB %+5.1f dB %+5.1f dB %10s  %s\n", programs[p].c_str(),
                    levelChangeDb(before.low, after.low), levelChangeDb(before.mid, after.mid),
                    levelChangeDb(before.high, after.high), formatDbfs(peakOf(output)).c_str(),
                    fileName.c_str());
    }
    std::printf("\nlow: below 250 Hz, mid: 250 Hz to 4 kHz, high: above 4 kHz\n");
    std::printf("beside each WAV, a PNG of the editor showing its program\n");
}

} // namespace miral::cli
