#include "reporting/process_report.h"

#include "audio_files/sndfile_formats.h"
#include "reporting/printable_text.h"

#include <cmath>

namespace miral::cli {
namespace {

double durationSeconds(const FileReport& report) {
    return report.sampleRateHz > 0 ? static_cast<double>(report.frames) / report.sampleRateHz : 0.0;
}

double realtimeFactor(const FileReport& report) {
    return report.seconds > 0.0 ? durationSeconds(report) / report.seconds : 0.0;
}

/// dB relative to full scale; null for silence, which has no finite level.
nlohmann::json dbfs(double level) {
    return level > 0.0 ? nlohmann::json(20.0 * std::log10(level)) : nlohmann::json(nullptr);
}

nlohmann::json levels(const LevelMeter& meter) {
    return {{"peak_dbfs", dbfs(meter.peak())},
            {"rms_dbfs", dbfs(meter.rms())},
            {"non_finite_samples", meter.nonFinite()}};
}

/// {"path": ...}, with "path_bytes" (the bytes in hex) when the name is not UTF-8 and its
/// readable form loses them.
nlohmann::json pathJson(const std::string& path) {
    nlohmann::json named = {{"path", path}};
    if (!isUtf8(path))
        named["path_bytes"] = hexBytes(path);
    return named;
}

nlohmann::json fileJson(const FileReport& report) {
    nlohmann::json input = pathJson(report.inputPath);
    nlohmann::json output = pathJson(report.outputPath);
    nlohmann::json file;
    if (report.error.empty()) {
        input.update(levels(report.input));
        input.update({{"format", describeFormat(report.inputFormat)},
                      {"channels", report.channels},
                      {"sample_rate", report.sampleRateHz},
                      {"frames", report.frames},
                      {"duration_seconds", durationSeconds(report)}});
        output.update(levels(report.output));
        output.update(
            {{"format", describeFormat(report.outputFormat)},
             {"saturated_samples",
              isIntegerFormat(report.outputFormat) ? report.output.beyondFullScale() : 0}});
        file = {{"processing_seconds", report.seconds},
                {"realtime_factor", realtimeFactor(report)},
                {"warnings", warningsOf(report)},
                {"error", nullptr}};
        if (report.levelMatch)
            file["level_match"] = {{"output_gain_db", report.levelMatch->outputGainDb},
                                   {"loudness_change_db", report.levelMatch->loudnessChangeDb},
                                   {"limited", report.levelMatch->limited}};
    } else {
        file = {{"error", report.error}};
    }
    file["input"] = input;
    file["output"] = output;
    return file;
}

} // namespace

void printSummary(std::FILE* stream, const FileReport& report) {
    std::fprintf(stream, "%s: %s, %s, %d Hz, %.3f s\n", printable(report.inputName).c_str(),
                 describeFormat(report.inputFormat).c_str(),
                 report.channels == 1 ? "mono" : "stereo", report.sampleRateHz,
                 durationSeconds(report));
    std::fprintf(stream, "%s: %s\n", printable(report.outputName).c_str(),
                 describeFormat(report.outputFormat).c_str());
    std::fprintf(stream, "processed in %.3f s (%.0fx realtime)\n", report.seconds,
                 realtimeFactor(report));
    for (const auto& [label, meter] :
         {std::pair{"input: ", &report.input}, std::pair{"output:", &report.output}}) {
        std::fprintf(stream, "%s peak %s, RMS %s\n", label, formatDbfs(meter->peak()).c_str(),
                     formatDbfs(meter->rms()).c_str());
        if (meter->nonFinite() > 0)
            std::fprintf(stream, "%s %llu NaN or infinite samples\n", label,
                         static_cast<unsigned long long>(meter->nonFinite()));
    }
}

std::vector<std::string> warningsOf(const FileReport& report) {
    std::vector<std::string> warnings;
    if (!isIntegerFormat(report.outputFormat))
        return warnings;
    if (report.output.beyondFullScale() > 0)
        warnings.push_back(report.outputName + ": " +
                           std::to_string(report.output.beyondFullScale()) +
                           " output samples beyond full scale were saturated");
    if (report.output.nonFinite() > 0)
        warnings.push_back(report.outputName + ": " + std::to_string(report.output.nonFinite()) +
                           " NaN or infinite output samples written as 0");
    return warnings;
}

void printWarnings(const FileReport& report) {
    for (const std::string& warning : warningsOf(report))
        std::fprintf(stderr, "miral: warning: %s\n", printable(warning).c_str());
}

nlohmann::json reportJson(const std::vector<FileReport>& reports, const std::string& error) {
    nlohmann::json files = nlohmann::json::array();
    int failed = 0;
    for (const FileReport& report : reports) {
        files.push_back(fileJson(report));
        failed += !report.error.empty();
    }
    return {{"files", files},
            {"failed", failed},
            {"error", error.empty() ? nlohmann::json(nullptr) : nlohmann::json(error)}};
}

std::string jsonText(const nlohmann::json& report) {
    return report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace miral::cli
