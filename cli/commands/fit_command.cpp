#include "commands/fit_command.h"

#include "engine/params.h"
#include "engine/user_preset_folder.h"
#include "fitting/apo_correction.h"
#include "fitting/band_fit.h"
#include "fitting/fitted_outputs.h"
#include "fitting/frequency_curve.h"
#include "fitting/response_plot.h"
#include "fitting/spectrum_match.h"
#include "output_safety/output_file.h"
#include "reporting/printable_text.h"
#include "settings/level_matching.h"
#include "usage_error.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace miral::cli {
namespace {

// The fit's grid: fine enough for the narrowest peak (Q 10 spans about a seventh of an octave).
constexpr int kPointsPerOctave = 24;
// Targets beyond this are more likely a mistake than a correction.
constexpr double kLargestSensibleDb = 30.0;

const char* const kBandNames[kNumBands] = {"low shelf", "peak", "peak",
                                           "peak",      "peak", "high shelf"};

struct Source {
    std::string description; ///< what the settings were fitted from
    std::string label;       ///< the presets' default name
    std::optional<double> preampDb;
    size_t filters = 0;
};

std::vector<double> fitFrequencies(const FitOptions& options) {
    const int points =
        int(std::ceil(std::log2(options.toHz / options.fromHz) * kPointsPerOctave)) + 1;
    return logFrequencies(options.fromHz, options.toHz, std::max(points, 2));
}

std::string stemOf(const std::string& path) {
    return std::filesystem::path(path).stem().string();
}

std::vector<double> targetOf(const FitOptions& options, const std::vector<double>& frequencies,
                             Source& source) {
    if (options.apoPath) {
        const ApoCorrection correction = readApoCorrection(*options.apoPath);
        for (const std::string& warning : correction.warnings)
            std::fprintf(stderr, "miral: warning: %s\n", printable(warning).c_str());
        source = {options.apoPath->c_str(), stemOf(*options.apoPath), correction.preampDb,
                  correction.filters.size()};
        return correctionResponseDb(correction, *options.apoPath, frequencies,
                                    options.sampleRateHz);
    }
    if (options.targetPath) {
        const FrequencyCurve curve = readCurveFile(*options.targetPath, options.column);
        source = {*options.targetPath, stemOf(*options.targetPath), std::nullopt, 0};
        std::vector<double> target;
        for (const double frequencyHz : frequencies)
            target.push_back(curveGainDb(curve, frequencyHz));
        return target;
    }
    const FrequencyCurve difference =
        spectrumDifference(options.matchPaths[0], options.matchPaths[1]);
    source = {options.matchPaths[1] + " matched to " + options.matchPaths[0],
              stemOf(options.matchPaths[1]), std::nullopt, 0};
    std::vector<double> target;
    for (const double frequencyHz : frequencies)
        target.push_back(curveGainDb(difference, frequencyHz));
    return target;
}

void checkOptions(const FitOptions& options) {
    const int inputs = int(options.apoPath.has_value()) + int(options.targetPath.has_value()) +
                       int(!options.matchPaths.empty());
    if (inputs != 1)
        throw UsageError("give one of --apo FILE, --target FILE and --match REFERENCE INPUT");
    if (!options.matchPaths.empty() && options.matchPaths.size() != 2)
        throw UsageError("--match takes two recordings: REFERENCE INPUT");
    if (options.column && !options.targetPath)
        throw UsageError("--column belongs to --target");
    if (options.sampleRateHz < 44100.0)
        throw UsageError("--rate must be 44100 Hz or more: below it the equaliser bypasses");
    if (!(options.fromHz < options.toHz && options.toHz < options.sampleRateHz / 2.0))
        throw UsageError("--from must be below --to, and --to below the Nyquist frequency");
    if (!std::isfinite(options.headroomDb))
        throw UsageError("--headroom must be a finite number of dB");
    if (options.userPreset && fileStem(*options.userPreset) != *options.userPreset)
        throw UsageError("--user-preset \"" + printable(*options.userPreset) +
                         "\": use letters, digits, '-', '_' and '.' only");
}

std::string comment(const Source& source, const FitResult& result, const FitOptions& options) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "MIRAL settings fitted by miral fit from %s\n"
                  "RMS error %.3f dB, largest %.3f dB at %.0f Hz (%g Hz to %g Hz at %g Hz)\n"
                  "Output gain %+.2f dB: peak gain %+.2f dB",
                  source.description.c_str(), result.rmsErrorDb, std::fabs(result.maxErrorDb),
                  result.maxErrorHz, options.fromHz, options.toHz, options.sampleRateHz,
                  result.outputGainDb, result.peakGainDb);
    if (result.levelMatch)
        return text + ("\nLevel match: " + describeLevelMatch(*result.levelMatch));
    return text;
}

nlohmann::json summaryJson(const Source& source, const FitProblem& problem, const FitResult& result,
                           const FitOptions& options) {
    nlohmann::json bands = nlohmann::json::array();
    for (int band = 0; band < kNumBands; ++band) {
        const FittedBand& fitted = result.bands[size_t(band)];
        nlohmann::json entry = {{"band", band + 1},
                                {"type", kBandNames[band]},
                                {"on", fitted.on},
                                {"gain_db", fitted.gainDb},
                                {"frequency_hz", fitted.frequencyHz}};
        if (band >= 1 && band <= 4)
            entry["q"] = fitted.q;
        bands.push_back(entry);
    }
    nlohmann::json summary = {{"source", source.description},
                              {"sample_rate_hz", options.sampleRateHz},
                              {"bands", bands},
                              {"output_gain_db", result.outputGainDb},
                              {"peak_gain_db", result.peakGainDb},
                              {"headroom_db", options.headroomDb},
                              {"headroom_shortfall_db", result.headroomShortfallDb},
                              {"rms_error_db", result.rmsErrorDb},
                              {"max_error_db", std::fabs(result.maxErrorDb)},
                              {"max_error_hz", result.maxErrorHz},
                              {"level_db", result.levelDb},
                              {"settings", result.presetLines},
                              {"curves",
                               {{"frequency_hz", problem.frequenciesHz},
                                {"target_db", problem.targetDb},
                                {"response_db", result.responseDb}}}};
    if (source.preampDb)
        summary["preamp_db"] = *source.preampDb;
    if (result.levelMatch)
        summary["level_match"] = {{"output_gain_db", result.levelMatch->outputGainDb},
                                  {"loudness_change_db", result.levelMatch->loudnessChangeDb},
                                  {"limited", result.levelMatch->limited}};
    return summary;
}

void printSummary(const Source& source, const FitResult& result, const FitOptions& options) {
    std::printf("fitted from %s", printable(source.description).c_str());
    if (source.preampDb)
        std::printf(" (%zu filters; its preamp of %+.2f dB is not copied)", source.filters,
                    *source.preampDb);
    std::printf("\n\n  band  type        on   gain dB  frequency Hz      Q\n");
    for (int band = 0; band < kNumBands; ++band) {
        const FittedBand& fitted = result.bands[size_t(band)];
        std::printf("  %4d  %-10s  %-3s  %+7.2f  %12.1f", band + 1, kBandNames[band],
                    fitted.on ? "on" : "off", fitted.gainDb, fitted.frequencyHz);
        if (band >= 1 && band <= 4)
            std::printf("  %5.2f", fitted.q);
        std::printf("\n");
    }
    std::printf("\noutput gain %+.2f dB (peak gain %+.2f dB", result.outputGainDb,
                result.peakGainDb);
    if (result.headroomShortfallDb > 0.0)
        std::printf(", %.2f dB above the headroom of %+.2f dB: the output gain cannot go lower",
                    result.headroomShortfallDb, options.headroomDb);
    std::printf(")\n");
    if (result.levelMatch)
        std::printf("level match: %s\n", describeLevelMatch(*result.levelMatch).c_str());
    std::printf("error: RMS %.2f dB, largest %.2f dB at %.0f Hz\n", result.rmsErrorDb,
                std::fabs(result.maxErrorDb), result.maxErrorHz);
}

void writeText(const std::string& path, const std::string& content, bool force) {
    OutputFile file(path, force);
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t written =
            ::write(file.descriptor(), content.data() + done, content.size() - done);
        if (written <= 0)
            throw std::runtime_error("cannot write " + file.name());
        done += size_t(written);
    }
    file.commit();
}

} // namespace

void runFit(const FitOptions& options) {
    checkOptions(options);
    std::optional<std::string> userPresetPath;
    if (options.userPreset) {
        const std::optional<std::string> folder = userPresetFolder();
        if (!folder)
            throw UsageError("--user-preset: no preset folder (set HOME or XDG_DATA_HOME)");
        userPresetPath =
            (std::filesystem::path(*folder) / (*options.userPreset + kUserPresetExtension))
                .string();
    }
    FitProblem problem;
    problem.frequenciesHz = fitFrequencies(options);
    problem.sampleRateHz = options.sampleRateHz;
    problem.trebleAverageHz = options.trebleAverageHz;
    problem.headroomDb = options.headroomDb;
    problem.keepLevel = options.keepLevel;
    problem.levelMatch = options.levelMatch;
    Source source;
    problem.targetDb = targetOf(options, problem.frequenciesHz, source);
    const auto [lowest, highest] =
        std::minmax_element(problem.targetDb.begin(), problem.targetDb.end());
    if (std::fabs(*lowest) > kLargestSensibleDb || std::fabs(*highest) > kLargestSensibleDb)
        std::fprintf(stderr, "miral: warning: the target reaches %+.1f dB, beyond ±%.0f dB\n",
                     std::fabs(*lowest) > std::fabs(*highest) ? *lowest : *highest,
                     kLargestSensibleDb);

    const FitResult result = fitBands(problem);
    const std::string label = options.name.value_or(source.label);
    if (options.json)
        std::puts(summaryJson(source, problem, result, options)
                      .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                      .c_str());
    else
        printSummary(source, result, options);

    const std::string preset = presetText(result, comment(source, result, options));
    if (options.outputPath)
        writeText(*options.outputPath, preset, options.force);
    if (userPresetPath) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(*userPresetPath).parent_path(),
                                            error);
        if (error)
            throw std::runtime_error("cannot make the preset folder: " + error.message());
        writeText(*userPresetPath, preset, options.force);
    }
    if (options.lv2Directory)
        writeLv2PresetBundle(*options.lv2Directory, label, result, options.force);
    if (options.plotPath) {
        std::vector<double> error(result.responseDb.size());
        std::vector<double> shifted(result.responseDb.size());
        for (size_t i = 0; i < error.size(); ++i) {
            shifted[i] = result.responseDb[i] - result.levelDb;
            error[i] = shifted[i] - problem.targetDb[i];
        }
        writeResponsePlot(*options.plotPath, options.force, "miral fit: " + label,
                          {{"MIRAL (level shifted to the target)", problem.frequenciesHz, shifted},
                           {"target", problem.frequenciesHz, problem.targetDb},
                           {"error", problem.frequenciesHz, error}});
    }
}

} // namespace miral::cli
