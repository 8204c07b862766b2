#include "process_report.h"

#include "text.h"

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

nlohmann::json fileJson(const FileReport& report) {
    nlohmann::json input = {{"path", report.inputPath}};
    nlohmann::json output = {{"path", report.outputPath}};
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
                {"error", nullptr}};
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

void printWarnings(const FileReport& report) {
    if (!isIntegerFormat(report.outputFormat))
        return;
    const std::string output = printable(report.outputName);
    if (report.output.beyondFullScale() > 0)
        std::fprintf(stderr,
                     "miral: warning: %llu output samples beyond full scale were saturated\n",
                     static_cast<unsigned long long>(report.output.beyondFullScale()));
    if (report.output.nonFinite() > 0)
        std::fprintf(stderr,
                     "miral: warning: %s: %llu NaN or infinite output samples written as 0\n",
                     output.c_str(), static_cast<unsigned long long>(report.output.nonFinite()));
}

nlohmann::json reportJson(const std::vector<FileReport>& reports) {
    nlohmann::json files = nlohmann::json::array();
    int failed = 0;
    for (const FileReport& report : reports) {
        files.push_back(fileJson(report));
        failed += !report.error.empty();
    }
    return {{"files", files}, {"failed", failed}};
}

} // namespace miral::cli
