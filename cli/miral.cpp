// The miral command: a command-line host for the MIRAL plug-in. It loads the plug-in through
// the VST 2 interface, as a DAW does, and lists it, processes audio files or runs the demo;
// it also draws the plug-in's editor into PNG pictures.

#include "commands/demo_command.h"
#include "commands/export_command.h"
#include "commands/fit_command.h"
#include "commands/info_command.h"
#include "commands/process_command.h"
#include "commands/response_command.h"
#include "commands/snapshot_command.h"
#include "editor/editor_layout.h"
#include "output_safety/interruption.h"
#include "output_safety/standard_descriptors.h"
#include "platform/display_scale.h"
#include "plugin_driving/plugin_path.h"
#include "reporting/printable_text.h"
#include "usage_error.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace {

using namespace miral::cli;

constexpr int32_t kMaximumBlockFrames = 1 << 20;
constexpr unsigned kMaximumJobs = 1024;

const char* const kProcessExamples = R"(
Examples:
  miral process song.wav bright.wav --program "03 - Bright and fat"
  miral process in.flac out.flac --set "Gain 3=+6dB" --set "Freq 3=1kHz" --set "Q 3=2"
  miral process in.wav out.wav --preset vocal.txt --set "Output Gain=-3dB" --bits 24
  sox in.mp3 -t au - | miral process - - --program 5 | sox -t au - out.mp3
  miral process takes/*.wav --out-dir processed --program 7 --type flac

Settings apply in this order: --program, --preset, --set, --param.
Units: dB for gains, Hz or kHz for frequencies, on/off for switches; "miral info" lists
the parameter names and the programs.)";

/// Refuses an empty value, which CLI11 would otherwise take as no value at all.
const CLI::Validator kNotEmpty(
    [](const std::string& value) { return value.empty() ? "empty value" : std::string(); },
    "NOT EMPTY");

void addPluginOption(CLI::App& command, std::string& pluginPath) {
    command.add_option("--plugin", pluginPath, "the miral_vst plug-in to load")
        ->default_str(pluginPath)
        ->check(kNotEmpty);
}

void addSettingsOptions(CLI::App& command, EffectSettings& settings) {
    command.add_option("--program", settings.program, "factory program by number or name")
        ->check(kNotEmpty);
    command.add_option("--set", settings.namedSettings, "NAME=VALUE in physical units, repeatable")
        ->allow_extra_args(false);
    command.add_option("--param", settings.indexedSettings, "INDEX=VALUE normalised, repeatable")
        ->allow_extra_args(false);
    command.add_option("--preset", settings.presetPath, "file of NAME=VALUE lines")
        ->check(kNotEmpty);
}

void addForceOption(CLI::App& command, bool& force) {
    command.add_flag("-f,--force", force, "replace a read-only output file");
}

void addProcessOptions(CLI::App& process, ProcessOptions& options) {
    ProcessingSettings& processing = options.processing;
    process
        .add_option("FILES", options.files,
                    "IN OUT, or the inputs with --out-dir; \"-\" is standard input or output")
        ->check(kNotEmpty); // required, but they may follow "--": the command checks them
    process.add_option("--out-dir", options.outputDirectory, "folder for the outputs of IN...")
        ->check(CLI::ExistingDirectory);
    addSettingsOptions(process, processing.settings);
    process.add_option("--block", processing.blockFrames, "frames per processing block")
        ->check(CLI::Range(1, kMaximumBlockFrames))
        ->default_val(kDefaultBlockFrames);
    process
        .add_option("--type", processing.format.type,
                    "output type by extension (wav, flac, au, ...), for \"-\" and --out-dir")
        ->check(kNotEmpty);
    // Read as text: CLI11 takes an empty number for no option at all.
    auto* bits = process
                     .add_option_function<std::string>(
                         "--bits",
                         [&processing](const std::string& text) {
                             processing.format.bits = std::stoi(text);
                         },
                         "write 16, 24 or 32-bit integer samples")
                     ->check(CLI::IsMember({"16", "24", "32"}));
    process.add_flag("--float", processing.format.asFloat, "write 32-bit float samples")
        ->excludes(bits);
    process.add_flag("--level-match", processing.levelMatch,
                     "set Output Gain so that the settings are as loud as the dry signal");
    addForceOption(process, processing.force);
    process
        .add_option("-j,--jobs", options.jobs, "files processed at once (default: one per core)")
        ->check(CLI::Range(1u, kMaximumJobs));
    process.add_flag("-q,--quiet", options.quiet, "print no summary");
    auto* json = process.add_flag("--json", options.json, "the summary as JSON on standard error");
    process.add_option("--json-file", options.jsonPath, "the summary as JSON into this file")
        ->check(kNotEmpty)
        ->excludes(json);
    addPluginOption(process, processing.pluginPath);
    process.footer(kProcessExamples);
}

/// The editor's scale for its pictures: 1 draws the layout's pixels, 2 twice as many each way.
/// (CLI11's Range lets "nan" through: no comparison with it fails.)
void addScaleOption(CLI::App& command, double& scale) {
    const CLI::Validator oneToThree(
        [](const std::string& text) -> std::string {
            double value = 0.0;
            const bool read = CLI::detail::lexical_cast(text, value);
            return read && value >= miral::platform::kSmallestScale &&
                           value <= miral::platform::kLargestScale
                       ? std::string()
                       : "Value " + text + " is not a scale from 1 to 3";
        },
        "FLOAT in [1 - 3]");
    command
        .add_option("--scale", scale,
                    "draw the editor at this scale, 1 to 3 (2: twice the pixels each way)")
        ->default_str("1")
        ->check(oneToThree);
}

/// A positive, finite number (CLI11's PositiveNumber lets "inf" through).
const CLI::Validator kPositiveFinite(
    [](const std::string& text) -> std::string {
        double value = 0.0;
        const bool read = CLI::detail::lexical_cast(text, value);
        return read && std::isfinite(value) && value > 0.0
                   ? std::string()
                   : "Value " + text + " is not a positive number";
    },
    "POSITIVE");

void addResponseOptions(CLI::App& response, ResponseOptions& options) {
    addSettingsOptions(response, options.settings);
    response.add_option("--rate", options.sampleRateHz, "sample rate in Hz")
        ->default_str("48000")
        ->check(kPositiveFinite);
    auto* points = response.add_option("--points", options.points, "log-spaced frequencies")
                       ->default_str("481")
                       ->check(CLI::Range(2, 100000));
    auto* from = response.add_option("--from", options.fromHz, "lowest frequency in Hz")
                     ->default_str("20")
                     ->check(kPositiveFinite);
    auto* to = response.add_option("--to", options.toHz, "highest frequency in Hz")
                   ->default_str("20000")
                   ->check(kPositiveFinite);
    response.add_option("--at", options.atPath, "the frequencies of this file's first column")
        ->check(kNotEmpty)
        ->excludes(points)
        ->excludes(from)
        ->excludes(to);
    response.add_flag("--json", options.json, "as one JSON object");
    response.add_option("--plot", options.plotPath, "draw the response into this PNG file")
        ->check(kNotEmpty);
    response.add_option("--compare", options.comparePath, "a curve file drawn beside it")
        ->check(kNotEmpty);
    addForceOption(response, options.force);
    addPluginOption(response, options.pluginPath);
}

const char* const kFitExamples = R"(
Examples:
  miral fit --apo "HD 600 ParametricEQ.txt" -o hd600.txt
  miral fit --target "HD 600.csv" --lv2-preset ~/.lv2/hd600.lv2 --name "HD 600"
  miral fit --apo room.txt --treble-average 8000 --headroom -1 --plot fit.png
  miral fit --match reference.wav mix.wav --user-preset like-reference

Errors are measured up to the overall level, which the output gain sets for the headroom.)";

void addFitOptions(CLI::App& fit, FitOptions& options) {
    auto* apo =
        fit.add_option("--apo", options.apoPath, "Equalizer APO parametric text")->check(kNotEmpty);
    auto* target =
        fit.add_option("--target", options.targetPath, "a curve: frequency and gain in dB")
            ->check(kNotEmpty);
    fit.add_option("--column", options.column, "the target's column by header name")
        ->check(kNotEmpty);
    fit.add_option("--match", options.matchPaths, "REFERENCE INPUT: recordings to match")
        ->expected(2)
        ->excludes(apo)
        ->excludes(target);
    apo->excludes(target);
    fit.add_option("--rate", options.sampleRateHz, "sample rate in Hz")
        ->default_str("48000")
        ->check(kPositiveFinite);
    fit.add_option("--from", options.fromHz, "lowest frequency fitted, Hz")
        ->default_str("20")
        ->check(kPositiveFinite);
    fit.add_option("--to", options.toHz, "highest frequency fitted, Hz")
        ->default_str("20000")
        ->check(kPositiveFinite);
    fit.add_option("--treble-average", options.trebleAverageHz,
                   "above this frequency fit only the average")
        ->check(kPositiveFinite);
    auto* headroom =
        fit.add_option("--headroom", options.headroomDb, "the chain's highest gain, dB")
            ->default_str("0");
    auto* keepLevel = fit.add_flag("--keep-level", options.keepLevel, "leave Output Gain at 0 dB")
                          ->excludes(headroom);
    fit.add_flag("--level-match", options.levelMatch,
                 "set Output Gain for the dry signal's loudness, not for headroom")
        ->excludes(headroom)
        ->excludes(keepLevel);
    fit.add_option("-o,--output", options.outputPath, "write the settings as a preset file")
        ->check(kNotEmpty);
    fit.add_option("--lv2-preset", options.lv2Directory, "write an LV2 preset bundle folder")
        ->check(kNotEmpty);
    fit.add_option("--user-preset", options.userPreset,
                   "save as NAME in the user's MIRAL preset folder")
        ->check(kNotEmpty);
    fit.add_option("--name", options.name, "the presets' name (default: the input's)")
        ->check(kNotEmpty);
    fit.add_option("--plot", options.plotPath, "draw target, fit and error into this PNG file")
        ->check(kNotEmpty);
    fit.add_flag("--json", options.json, "the summary as one JSON object");
    addForceOption(fit, options.force);
    fit.footer(kFitExamples);
}

void addSnapshotOptions(CLI::App& snapshot, SnapshotOptions& options) {
    snapshot.add_option("OUT", options.outputPath, "PNG file to write")
        ->required()
        ->check(kNotEmpty);
    addSettingsOptions(snapshot, options.settings);
    addForceOption(snapshot, options.force);
    addScaleOption(snapshot, options.scale);
}

void addExportOptions(CLI::App& exportCommand, ExportOptions& options) {
    // The one format so far; required, so that a later one is a flag of its own.
    exportCommand.add_flag("--pipewire")
        ->description("a PipeWire filter-chain configuration")
        ->required();
    addSettingsOptions(exportCommand, options.settings);
    exportCommand
        .add_option("-o,--output", options.outputPath, "file to write (default: standard output)")
        ->check(kNotEmpty);
    addForceOption(exportCommand, options.force);
    exportCommand.footer(R"(
Examples:
  miral export --pipewire --program "08 - Contour"
  miral export --pipewire --preset headphones.txt -o ~/.config/pipewire/pipewire.conf.d/miral.conf)");
}

/// Standard output may fail only when flushed (a full disk, a closed pipe): that is a failure
/// of the command too.
void flushStandardOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw std::runtime_error(std::string("cannot write standard output: ") +
                                 std::strerror(errno));
}

/// The number of arguments before a "--" that follows the `process` subcommand, else all.
int optionsEnd(int argc, char** argv) {
    const auto begin = argv + 1, end = argv + argc;
    const auto command = std::find(begin, end, std::string_view("process"));
    const auto mark = command == end ? end : std::find(command, end, std::string_view("--"));
    return static_cast<int>(mark - argv);
}

/// The exit status for a failure, after its message; a caught signal ends the process by that
/// signal instead, now that everything is cleaned up.
int failed(int status, const char* message) {
    if (message)
        std::fprintf(stderr, "miral: %s\n", printable(message).c_str());
    endByCaughtSignal();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    openClosedStandardDescriptors();
    catchInterruptions();
    CLI::App app("MIRAL six-band parametric equaliser: a command-line host for its plug-in",
                 "miral");
    std::string versionPlugin = defaultPluginPath();
    app.add_option("--plugin", versionPlugin, "the miral_vst plug-in --version describes")
        ->check(kNotEmpty);
    bool showVersions = false;
    app.add_flag("--version", showVersions, "the versions of miral, the plug-in and libsndfile");
    app.require_subcommand(0, 1);

    std::string infoPlugin = defaultPluginPath();
    bool infoJson = false;
    CLI::App* info = app.add_subcommand("info", "the plug-in's identity, parameters and programs");
    addPluginOption(*info, infoPlugin);
    info->add_flag("--json", infoJson, "as one JSON object");

    ProcessOptions processOptions;
    processOptions.processing.pluginPath = defaultPluginPath();
    CLI::App* process = app.add_subcommand("process", "process audio files through MIRAL");
    addProcessOptions(*process, processOptions);

    DemoOptions demoOptions;
    demoOptions.pluginPath = defaultPluginPath();
    CLI::App* demo = app.add_subcommand(
        "demo", "every factory program on a synthesised signal, as WAV files and a table");
    demo->add_option("--out", demoOptions.outputDirectory, "folder for the WAV files")
        ->default_str(demoOptions.outputDirectory)
        ->check(kNotEmpty);
    addPluginOption(*demo, demoOptions.pluginPath);
    addScaleOption(*demo, demoOptions.pictureScale);

    SnapshotOptions snapshotOptions;
    CLI::App* snapshot = app.add_subcommand(
        "snapshot", "a " + std::to_string(miral::editor::kFrameBox.width()) + " x " +
                        std::to_string(miral::editor::kFrameBox.height()) +
                        " PNG picture of the editor showing the given settings");
    addSnapshotOptions(*snapshot, snapshotOptions);

    ResponseOptions responseOptions;
    responseOptions.pluginPath = defaultPluginPath();
    CLI::App* response = app.add_subcommand(
        "response", "the magnitude response of the whole equaliser for the given settings");
    addResponseOptions(*response, responseOptions);

    FitOptions fitOptions;
    CLI::App* fit =
        app.add_subcommand("fit", "MIRAL settings from a correction file, a curve or recordings");
    addFitOptions(*fit, fitOptions);
    ExportOptions exportOptions;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "the settings as a configuration that loads the LV2 plug-in (PipeWire)");
    addExportOptions(*exportCommand, exportOptions);

    try {
        // "--" ends the options of `process`: what follows is files, even names that start
        // with "-". (CLI11 would hand them back to the top level as unknown options.)
        const int mark = optionsEnd(argc, argv);
        app.parse(mark, argv);
        processOptions.files.insert(processOptions.files.end(), argv + std::min(mark + 1, argc),
                                    argv + argc);
        if (!showVersions && app.get_subcommands().empty())
            throw CLI::RequiredError("A subcommand (or --version)");
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        if (status != 0)
            return kExitUsageError;
        try {
            flushStandardOutput(); // the help text
        } catch (const std::exception& failure) {
            return failed(kExitProcessingError, failure.what());
        }
        return 0;
    }
    for (std::string* path : {&versionPlugin, &infoPlugin, &processOptions.processing.pluginPath,
                              &demoOptions.pluginPath, &responseOptions.pluginPath})
        *path = pluginFilePath(*path);

    try {
        if (showVersions)
            printVersions(versionPlugin);
        else if (*info)
            runInfo(infoPlugin, infoJson);
        else if (*process)
            runProcess(processOptions);
        else if (*snapshot)
            runSnapshot(snapshotOptions);
        else if (*response)
            runResponse(responseOptions);
        else if (*fit)
            runFit(fitOptions);
        else if (*exportCommand)
            runExport(exportOptions);
        else
            runDemo(demoOptions);
        flushStandardOutput();
    } catch (const UsageError& error) {
        return failed(kExitUsageError, error.what());
    } catch (const SummaryError& error) {
        return failed(kExitSummaryError, error.what());
    } catch (const ReportedFailure& failure) {
        return failed(failure.exitStatus(), nullptr);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        return failed(kExitProcessingError, error.what());
    }
    endByCaughtSignal(); // one that came while a finished file was put in place
    return 0;
}
