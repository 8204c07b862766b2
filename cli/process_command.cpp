#include "process_command.h"

#include "audio_file.h"
#include "effect_settings.h"
#include "interruption.h"
#include "level_meter.h"
#include "plugin_renderer.h"
#include "progress_bar.h"
#include "vst_host.h"
#include "engine/eq_engine.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace miral::cli {
namespace {

constexpr int32_t kMaximumChannels = 2;

void checkProcessable(const std::string& path, const SF_INFO& info) {
    if (info.channels > kMaximumChannels)
        throw std::runtime_error(path + ": " + std::to_string(info.channels) +
                                 " channels; only mono and stereo files can be processed");
    if (info.samplerate < kMinimumSampleRateHz)
        throw std::runtime_error(path + ": " + std::to_string(info.samplerate) +
                                 " Hz is below 44100 Hz, the lowest rate MIRAL processes "
                                 "(resample the file first)");
}

struct RunLevels {
    int64_t frames = 0; ///< as read, which some formats do not announce exactly
    LevelMeter input;
    LevelMeter output;
};

void printSummary(const ProcessOptions& options, const SF_INFO& info, int format,
                  const RunLevels& levels, double seconds) {
    const double duration = static_cast<double>(levels.frames) / info.samplerate;
    std::printf("%s: %s, %s, %d Hz, %.3f s\n", options.inputPath.c_str(),
                describeFormat(info.format).c_str(), info.channels == 1 ? "mono" : "stereo",
                info.samplerate, duration);
    std::printf("%s: %s\n", options.outputPath.c_str(), describeFormat(format).c_str());
    std::printf("processed in %.3f s (%.0fx realtime)\n", seconds,
                seconds > 0.0 ? duration / seconds : 0.0);
    std::printf("input:  peak %s, RMS %s\n", formatDbfs(levels.input.peak()).c_str(),
                formatDbfs(levels.input.rms()).c_str());
    std::printf("output: peak %s, RMS %s\n", formatDbfs(levels.output.peak()).c_str(),
                formatDbfs(levels.output.rms()).c_str());
}

/// Streams the whole input through the renderer into the output, block by block.
RunLevels processFrames(AudioInput& input, PluginRenderer& renderer, AudioOutput& output,
                        int32_t blockFrames) {
    const SF_INFO& info = input.info();
    ProgressBar progress(info.frames,
                         ProgressBar::wanted(static_cast<double>(info.frames) / info.samplerate));
    RunLevels levels;
    std::vector<float> buffer(static_cast<size_t>(blockFrames) * info.channels);
    while (const int64_t frames = input.read(buffer.data(), blockFrames)) {
        const size_t samples = static_cast<size_t>(frames) * info.channels;
        levels.input.add(buffer.data(), samples);
        renderer.process(buffer.data(), frames);
        levels.output.add(buffer.data(), samples);
        output.write(buffer.data(), frames);
        progress.update(levels.frames += frames);
        stopIfInterrupted();
    }
    return levels;
}

} // namespace

void runProcess(const ProcessOptions& options) {
    host::LoadedPlugin plugin(options.pluginPath);
    applySettings(plugin.effect(), options.settings); // every setting checked before any work

    AudioInput input(options.inputPath);
    const SF_INFO& info = input.info();
    checkProcessable(options.inputPath, info);
    const int format = outputFormat(options.outputPath, info.format, options.sampleFormat);

    catchInterruptions();
    const auto start = std::chrono::steady_clock::now();
    AudioOutput output(options.outputPath, format, info.channels, info.samplerate);
    PluginRenderer renderer(plugin, static_cast<float>(info.samplerate), options.blockFrames,
                            info.channels);
    const RunLevels levels = processFrames(input, renderer, output, options.blockFrames);
    output.commit();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    if (!options.quiet)
        printSummary(options, info, format, levels, elapsed.count());
    if (isIntegerFormat(format) && levels.output.beyondFullScale() > 0)
        std::fprintf(stderr,
                     "miral: warning: %llu output samples beyond full scale were saturated\n",
                     static_cast<unsigned long long>(levels.output.beyondFullScale()));
}

} // namespace miral::cli
