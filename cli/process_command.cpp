#include "process_command.h"

#include "batch_progress.h"
#include "host/loaded_plugin.h"
#include "interruption.h"
#include "output_file.h"
#include "parallel.h"
#include "process_report.h"
#include "progress_bar.h"
#include "text.h"
#include "usage_error.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>

namespace miral::cli {
namespace {

constexpr int64_t kProgressSteps = 1000;

struct FileJob {
    std::string input;
    std::string output;
};

/// IN OUT, or every input with its name in the output folder (the extension from --type).
std::vector<FileJob> jobsOf(const ProcessOptions& options) {
    if (!options.outputDirectory) {
        if (options.files.size() != 2)
            throw UsageError(options.files.size() < 2
                                 ? "OUT is required (or --out-dir DIR for several inputs)"
                                 : "several inputs need --out-dir DIR");
        return {{options.files[0], options.files[1]}};
    }
    std::vector<FileJob> jobs;
    std::set<std::string> outputs;
    for (const std::string& input : options.files) {
        if (input == kStandardStream)
            throw UsageError("standard input cannot be one of several inputs");
        std::filesystem::path name = std::filesystem::path(input).filename();
        if (options.processing.format.type)
            name.replace_extension(*options.processing.format.type);
        const std::string output =
            (std::filesystem::path(*options.outputDirectory) / name).string();
        if (!outputs.insert(output).second)
            throw UsageError("two inputs would both be written to " + output);
        jobs.push_back({input, output});
    }
    return jobs;
}

/// Every setting checked once, before any file is touched.
void checkSettings(const ProcessingSettings& processing) {
    host::LoadedPlugin plugin(processing.pluginPath);
    applySettings(plugin.effect(), processing.settings);
}

void writeJson(const ProcessOptions& options, const std::vector<FileReport>& reports) {
    const std::string text =
        reportJson(reports).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!options.jsonPath) {
        std::fputs(text.c_str(), stderr);
        return;
    }
    std::ofstream file(*options.jsonPath);
    file << text;
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + *options.jsonPath);
}

void processOne(const ProcessOptions& options, const FileJob& job) {
    std::optional<ProgressBar> bar; // made once the file's duration is known
    const FileReport report = processFile(
        job.input, job.output, options.processing, [&](double fraction, double fileSeconds) {
            if (!bar)
                bar.emplace(kProgressSteps, ProgressBar::wanted(fileSeconds));
            bar->update(std::lround(fraction * kProgressSteps));
        });
    bar.reset(); // clears its line before the summary
    if (options.json || options.jsonPath)
        writeJson(options, {report});
    else if (!options.quiet)
        printSummary(job.output == kStandardStream ? stderr : stdout, report);
    printWarnings(report);
}

void processBatch(const ProcessOptions& options, const std::vector<FileJob>& jobs) {
    std::vector<FileReport> reports(jobs.size());
    BatchProgress progress(jobs.size());
    runInParallel(jobs.size(), options.jobs, [&](size_t i) {
        try {
            stopIfInterrupted();
            reports[i] =
                processFile(jobs[i].input, jobs[i].output, options.processing,
                            [&](double fraction, double) { progress.update(i, fraction); });
        } catch (const std::exception& error) {
            reports[i].inputPath = jobs[i].input;
            reports[i].outputPath = jobs[i].output;
            reports[i].error = error.what();
        }
        progress.update(i, 1.0);
    });
    progress.finish();
    size_t failed = 0;
    for (const FileReport& report : reports) {
        if (!report.error.empty()) {
            ++failed;
            std::fprintf(stderr, "miral: %s\n", printable(report.error).c_str());
        } else if (!options.quiet && !options.json && !options.jsonPath) {
            std::printf("%s -> %s: %.3f s, output peak %s\n", printable(report.inputPath).c_str(),
                        printable(report.outputPath).c_str(),
                        static_cast<double>(report.frames) / report.sampleRateHz,
                        formatDbfs(report.output.peak()).c_str());
        }
        if (report.error.empty())
            printWarnings(report);
    }
    if (options.json || options.jsonPath)
        writeJson(options, reports);
    stopIfInterrupted();
    if (failed > 0)
        throw std::runtime_error(std::to_string(failed) + " of " + std::to_string(jobs.size()) +
                                 " files failed");
}

} // namespace

void runProcess(const ProcessOptions& options) {
    const std::vector<FileJob> jobs = jobsOf(options);
    checkSettings(options.processing);
    if (options.outputDirectory)
        processBatch(options, jobs);
    else
        processOne(options, jobs.front());
}

} // namespace miral::cli
