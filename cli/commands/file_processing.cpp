#include "commands/file_processing.h"

#include "audio_files/audio_file.h"
#include "audio_files/background_writer.h"
#include "audio_files/container_limits.h"
#include "audio_files/format_probe.h"
#include "audio_files/sndfile_formats.h"
#include "engine/eq_engine.h"
#include "host/loaded_plugin.h"
#include "output_safety/interruption.h"
#include "plugin_driving/plugin_renderer.h"
#include "settings/level_matching.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace miral::cli {
namespace {

constexpr int32_t kMaximumChannels = 2;
// Frames read and written at a time: large enough that system calls cost little beside the
// audio. The renderer still hands the plug-in blocks of the chosen size.
constexpr int64_t kTransferFrames = 1 << 16;

void checkProcessable(const AudioInput& input) {
    const SF_INFO& info = input.info();
    if (info.channels > kMaximumChannels)
        throw std::runtime_error(input.name() + ": " + std::to_string(info.channels) +
                                 " channels; only mono and stereo files can be processed");
    if (static_cast<float>(info.samplerate) < kMinimumSampleRateHz)
        throw std::runtime_error(input.name() + ": " + std::to_string(info.samplerate) +
                                 " Hz is below " +
                                 std::to_string(static_cast<int32_t>(kMinimumSampleRateHz)) +
                                 " Hz, the lowest rate MIRAL processes (resample the file first)");
}

/// Streams the whole input through the renderer into the output, block by block. Each block
/// is written while the next one is read and processed, in the other of two buffers.
void processFrames(AudioInput& input, PluginRenderer& renderer, AudioOutput& output,
                   int32_t blockFrames, FileReport& report, const ProgressListener& progress) {
    const SF_INFO& info = input.info();
    const int64_t transferFrames = std::max<int64_t>(blockFrames, kTransferFrames);
    std::vector<float> buffers[2];
    for (std::vector<float>& buffer : buffers)
        buffer.resize(static_cast<size_t>(transferFrames * info.channels));
    BackgroundWriter writer(output);
    size_t current = 0;
    // Integer output stores 0 where the input was NaN or infinite, whatever the effect made
    // of such a sample: such a sample is made NaN before it is counted, so that it counts once,
    // as written as 0, and never as saturated.
    const bool integerOutput = isIntegerFormat(report.outputFormat);
    std::vector<size_t> nonFiniteInput;
    while (const int64_t frames = input.read(buffers[current].data(), transferFrames)) {
        std::vector<float>& buffer = buffers[current];
        const size_t samples = static_cast<size_t>(frames * info.channels);
        const uint64_t nonFiniteBefore = report.input.nonFinite();
        report.input.add(buffer.data(), samples);
        nonFiniteInput.clear();
        if (integerOutput && report.input.nonFinite() != nonFiniteBefore)
            for (size_t i = 0; i < samples; ++i)
                if (!std::isfinite(buffer[i]))
                    nonFiniteInput.push_back(i);
        renderer.process(buffer.data(), frames);
        for (const size_t i : nonFiniteInput)
            buffer[i] = std::numeric_limits<float>::quiet_NaN();
        report.output.add(buffer.data(), samples);
        writer.write(buffer.data(), frames); // integer output: NaN written as 0
        current ^= 1;
        report.frames += frames;
        if (info.frames > 0)
            progress(static_cast<double>(report.frames) / static_cast<double>(info.frames),
                     static_cast<double>(info.frames) / info.samplerate);
        stopIfInterrupted();
    }
    writer.finish();
    stopIfInterrupted(); // a stream cut short by a signal ends like a complete one
    input.checkComplete(report.frames);
}

} // namespace

FileReport processFile(const std::string& inputPath, const std::string& outputPath,
                       const ProcessingSettings& settings, const ProgressListener& progress) {
    FileReport report;
    report.inputPath = inputPath;
    report.outputPath = outputPath;
    host::LoadedPlugin plugin(settings.pluginPath);
    applySettings(plugin.effect(), settings.settings);

    AudioInput input(inputPath);
    const SF_INFO& info = input.info();
    report.inputName = input.name();
    report.inputFormat = info.format;
    report.channels = info.channels;
    report.sampleRateHz = info.samplerate;
    checkProcessable(input);
    if (settings.levelMatch)
        report.levelMatch = matchEffectLevel(plugin.effect(), info.samplerate);

    OutputFile file(outputPath, settings.force);
    report.outputName = file.name();
    report.outputFormat = formatForLength(outputFormat(outputPath, info.format, settings.format),
                                          info.channels, info.frames, file.name());
    checkWritable(report.outputFormat, info.channels, info.samplerate, file.streamReason(),
                  file.name());

    const auto start = std::chrono::steady_clock::now();
    AudioOutput output(file, report.outputFormat, info.channels, info.samplerate);
    PluginRenderer renderer(plugin, static_cast<float>(info.samplerate), settings.blockFrames,
                            info.channels);
    processFrames(input, renderer, output, settings.blockFrames, report, progress);
    output.commit();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    report.seconds = elapsed.count();
    return report;
}

} // namespace miral::cli
