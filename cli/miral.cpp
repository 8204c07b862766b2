// The miral command: a command-line host for the MIRAL plug-in. It loads the plug-in through
// the VST 2 interface, as a DAW does, and lists it, processes audio files or runs the demo;
// it also draws the plug-in's editor into PNG pictures.

#include "demo_command.h"
#include "info_command.h"
#include "plugin_path.h"
#include "process_command.h"
#include "snapshot_command.h"
#include "usage_error.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

// Fontconfig, which the editor pictures' text goes through, keeps its configuration cache for
// the life of the process; the leak checker of sanitizer builds is told so.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

using namespace miral::cli;

constexpr int32_t kMaximumBlockFrames = 1 << 20;

const char* const kProcessExamples = R"(
Examples:
  miral process song.wav bright.wav --program "03 - Bright and fat"
  miral process in.flac out.flac --set "Gain 3=+6dB" --set "Freq 3=1kHz" --set "Q 3=2"
  miral process in.wav out.wav --preset vocal.txt --set "Output Gain=-3dB" --bits 24

Settings apply in this order: --program, --preset, --set, --param.
Units: dB for gains, Hz or kHz for frequencies, on/off for switches; "miral info" lists
the parameter names and the programs.)";

void addPluginOption(CLI::App& command, std::string& pluginPath) {
    command.add_option("--plugin", pluginPath, "the miral_vst plug-in to load")
        ->default_str(pluginPath);
}

void addSettingsOptions(CLI::App& command, EffectSettings& settings) {
    command.add_option("--program", settings.program, "factory program by number or name");
    command.add_option("--set", settings.namedSettings, "NAME=VALUE in physical units, repeatable")
        ->allow_extra_args(false);
    command.add_option("--param", settings.indexedSettings, "INDEX=VALUE normalised, repeatable")
        ->allow_extra_args(false);
    command.add_option("--preset", settings.presetPath, "file of NAME=VALUE lines");
}

void addProcessOptions(CLI::App& process, ProcessOptions& options) {
    process.add_option("IN", options.inputPath, "audio file to read (any format libsndfile reads)")
        ->required();
    process.add_option("OUT", options.outputPath, "file to write, format from its extension")
        ->required();
    addSettingsOptions(process, options.settings);
    process.add_option("--block", options.blockFrames, "frames per processing block")
        ->check(CLI::Range(1, kMaximumBlockFrames))
        ->default_val(kDefaultBlockFrames);
    auto* bits = process
                     .add_option("--bits", options.sampleFormat.bits,
                                 "write 16, 24 or 32-bit integer samples")
                     ->check(CLI::IsMember({16, 24, 32}));
    process.add_flag("--float", options.sampleFormat.asFloat, "write 32-bit float samples")
        ->excludes(bits);
    process.add_flag("-q,--quiet", options.quiet, "print no summary");
    addPluginOption(process, options.pluginPath);
    process.footer(kProcessExamples);
}

void addSnapshotOptions(CLI::App& snapshot, SnapshotOptions& options) {
    snapshot.add_option("OUT", options.outputPath, "PNG file to write")->required();
    addSettingsOptions(snapshot, options.settings);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("MIRAL six-band parametric equaliser: a command-line host for its plug-in",
                 "miral");
    app.require_subcommand(1);

    std::string infoPlugin = defaultPluginPath();
    CLI::App* info = app.add_subcommand("info", "the plug-in's identity, parameters and programs");
    addPluginOption(*info, infoPlugin);

    ProcessOptions processOptions;
    processOptions.pluginPath = defaultPluginPath();
    CLI::App* process = app.add_subcommand("process", "process an audio file through MIRAL");
    addProcessOptions(*process, processOptions);

    DemoOptions demoOptions;
    demoOptions.pluginPath = defaultPluginPath();
    CLI::App* demo = app.add_subcommand(
        "demo", "every factory program on a synthesised signal, as WAV files and a table");
    demo->add_option("--out", demoOptions.outputDirectory, "folder for the WAV files")
        ->default_str(demoOptions.outputDirectory);
    addPluginOption(*demo, demoOptions.pluginPath);

    SnapshotOptions snapshotOptions;
    CLI::App* snapshot = app.add_subcommand(
        "snapshot", "a 420 x 290 PNG picture of the editor showing the given settings");
    addSnapshotOptions(*snapshot, snapshotOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kExitUsageError;
    }

    try {
        if (*info)
            runInfo(infoPlugin);
        else if (*process)
            runProcess(processOptions);
        else if (*snapshot)
            runSnapshot(snapshotOptions);
        else
            runDemo(demoOptions);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "miral: %s\n", error.what());
        return kExitUsageError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "miral: %s\n", error.what());
        return kExitProcessingError;
    }
    return 0;
}
