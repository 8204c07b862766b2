#include "commands/process_command.h"

#include "commands/concurrent_work.h"
#include "commands/process_jobs.h"
#include "output_safety/interruption.h"
#include "output_safety/output_file.h"
#include "reporting/batch_progress.h"
#include "reporting/json_destination.h"
#include "reporting/printable_text.h"
#include "reporting/process_report.h"
#include "reporting/progress_bar.h"
#include "settings/level_matching.h"
#include "usage_error.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

namespace miral::cli {
namespace {

constexpr int64_t kProgressSteps = 1000;

/// What --level-match set for the file, on standard error.
void printLevelMatch(const FileReport& report) {
    if (report.levelMatch)
        std::fprintf(stderr, "miral: %s: --level-match set %s\n",
                     printable(report.inputName).c_str(),
                     describeLevelMatch(*report.levelMatch).c_str());
}

/// The work of one run, with its reports for the summary.
class Run {
public:
    explicit Run(const ProcessOptions& options) : options_(options) {}

    void start() {
        jobs_ = jobsOf(options_);
        checkSettings(options_.processing, jobs_);
        if (options_.jsonPath)
            checkJsonPath(*options_.jsonPath, jobs_);
        if (options_.json || options_.jsonPath)
            json_.emplace(options_.jsonPath, options_.processing.force);
        if (options_.outputDirectory)
            processBatch();
        else
            processOne();
    }

    bool jsonWanted() const { return json_.has_value(); }
    bool audioWritten() const { return audioWritten_; }

    /// Writes the JSON summary with `error` as the run's error (empty: none).
    void writeJson(const std::string& error) {
        json_->write(jsonText(reportJson(reports_, error)));
    }

private:
    bool plainText() const { return !options_.quiet && !jsonWanted(); }

    void processOne() {
        const FileJob& job = jobs_.front();
        reports_.resize(1);
        reports_[0].inputPath = job.input;
        reports_[0].outputPath = job.output;
        std::optional<ProgressBar> bar; // made once the file's duration is known
        try {
            reports_[0] =
                processFile(job.input, job.output, options_.processing,
                            [&](double fraction, double fileSeconds) {
                                if (!bar)
                                    bar.emplace(kProgressSteps, ProgressBar::wanted(fileSeconds));
                                bar->update(std::lround(fraction * kProgressSteps));
                            });
        } catch (const std::exception& error) {
            reports_[0].error = error.what();
            throw;
        }
        bar.reset(); // clears its line before the summary
        audioWritten_ = true;
        if (plainText())
            printSummary(job.output == kStandardStream ? stderr : stdout, reports_[0]);
        if (!options_.json)
            printWarnings(reports_[0]);
        if (plainText())
            printLevelMatch(reports_[0]);
    }

    void processBatch() {
        reports_.resize(jobs_.size());
        BatchProgress progress(jobs_.size());
        runInParallel(jobs_.size(), options_.jobs, [&](size_t i) {
            try {
                stopIfInterrupted();
                reports_[i] =
                    processFile(jobs_[i].input, jobs_[i].output, options_.processing,
                                [&](double fraction, double) { progress.update(i, fraction); });
            } catch (const std::exception& error) {
                reports_[i].inputPath = jobs_[i].input;
                reports_[i].outputPath = jobs_[i].output;
                reports_[i].error = error.what();
            }
            progress.update(i, 1.0);
        });
        progress.finish();
        size_t failed = 0;
        for (const FileReport& report : reports_) {
            if (!report.error.empty()) {
                ++failed;
                if (!options_.json)
                    std::fprintf(stderr, "miral: %s\n", printable(report.error).c_str());
            } else if (plainText()) {
                std::printf("%s -> %s: %.3f s, output peak %s\n",
                            printable(report.inputPath).c_str(),
                            printable(report.outputPath).c_str(),
                            static_cast<double>(report.frames) / report.sampleRateHz,
                            formatDbfs(report.output.peak()).c_str());
            }
            if (report.error.empty() && !options_.json)
                printWarnings(report);
            if (report.error.empty() && plainText())
                printLevelMatch(report);
        }
        stopIfInterrupted();
        audioWritten_ = failed == 0;
        if (failed > 0)
            throw std::runtime_error(std::to_string(failed) + " of " +
                                     std::to_string(jobs_.size()) + " files failed");
    }

    const ProcessOptions& options_;
    std::vector<FileJob> jobs_;
    std::vector<FileReport> reports_;
    std::optional<JsonDestination> json_;
    bool audioWritten_ = false;
};

/// The summary that follows written audio; a failure to write it says the audio was written.
void writeSummary(Run& run) {
    try {
        if (run.jsonWanted())
            run.writeJson("");
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            throw systemError("cannot write standard output");
    } catch (const std::exception& error) {
        throw SummaryError(std::string("the audio was written, but not its summary: ") +
                           error.what());
    }
}

/// With --json, standard error carries one JSON object whatever happens: the failure goes into
/// it, and nothing else is printed.
[[noreturn]] void reportFailureAsJson(Run& run, const std::exception& error, int exitStatus) {
    try {
        if (run.jsonWanted())
            run.writeJson(error.what());
        else // a failure before the run knew its files
            std::fputs(jsonText(reportJson({}, error.what())).c_str(), stderr);
    } catch (const std::exception&) {
        // Standard error itself failed: only the exit status is left to tell.
    }
    throw ReportedFailure(exitStatus);
}

} // namespace

void runProcess(const ProcessOptions& options) {
    Run run(options);
    try {
        run.start();
    } catch (const UsageError& error) {
        if (options.json)
            reportFailureAsJson(run, error, kExitUsageError);
        throw;
    } catch (const std::exception& error) {
        if (options.json)
            reportFailureAsJson(run, error, kExitProcessingError);
        if (run.jsonWanted()) {
            try {
                run.writeJson(error.what());
            } catch (const std::exception& jsonError) {
                std::fprintf(stderr, "miral: %s\n", printable(jsonError.what()).c_str());
            }
        }
        throw;
    }
    writeSummary(run);
}

} // namespace miral::cli
