#include "commands/process_command.h"

#include "audio_files/output_format.h"
#include "commands/concurrent_work.h"
#include "host/loaded_plugin.h"
#include "output_safety/interruption.h"
#include "output_safety/output_file.h"
#include "reporting/batch_progress.h"
#include "reporting/process_report.h"
#include "reporting/progress_bar.h"
#include "settings/typed_text.h"
#include "usage_error.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
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
    if (options.files.empty())
        throw UsageError("IN and OUT are required (or IN... --out-dir DIR)");
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

/// Every setting and every output's type checked once, before any file is touched.
void checkSettings(const ProcessingSettings& processing, const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs)
        checkFormatRequest(job.output, processing.format);
    host::LoadedPlugin plugin(processing.pluginPath);
    applySettings(plugin.effect(), processing.settings);
}

/// True when `a` and `b` ("-": the standard stream `standardDescriptor`) name the same file:
/// the same device and inode, or the same path once links are followed.
bool sameFile(const std::string& a, const std::string& b, int standardDescriptor) {
    struct stat first {
    }, second{};
    const bool aExists = a == kStandardStream ? fstat(standardDescriptor, &first) == 0
                                              : stat(a.c_str(), &first) == 0;
    const bool bExists = b == kStandardStream ? fstat(standardDescriptor, &second) == 0
                                              : stat(b.c_str(), &second) == 0;
    if (aExists && bExists)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (a == kStandardStream || b == kStandardStream)
        return false;
    // Absolute first: a relative name whose first part does not exist stays relative.
    const auto resolved = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error)
            .lexically_normal();
    };
    return resolved(a) == resolved(b);
}

/// Refuses a --json-file that would overwrite audio: an input, an output, or standard output
/// carrying audio.
void checkJsonPath(const std::string& jsonPath, const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs) {
        if (jsonPath == kStandardStream && job.output == kStandardStream)
            throw UsageError("--json-file - and the audio cannot both go to standard output");
        if (jsonPath == kStandardStream)
            continue;
        if (sameFile(jsonPath, job.input, STDIN_FILENO))
            throw UsageError("--json-file " + jsonPath + " is the input " + job.input);
        if (sameFile(jsonPath, job.output, STDOUT_FILENO))
            throw UsageError("--json-file " + jsonPath + " is the output " +
                             (job.output == kStandardStream ? "on standard output" : job.output));
    }
}

/// Where the summary goes: standard error for --json, standard output for --json-file -,
/// else a file made ready before any work and written as any output is.
class JsonDestination {
public:
    JsonDestination(const ProcessOptions& options, const std::vector<FileJob>& jobs) {
        if (!options.jsonPath) {
            stream_ = stderr;
            return;
        }
        checkJsonPath(*options.jsonPath, jobs);
        if (*options.jsonPath == kStandardStream)
            stream_ = stdout;
        else
            file_ = std::make_unique<OutputFile>(*options.jsonPath, options.processing.force);
    }

    /// Throws std::runtime_error when the text cannot be written.
    void write(const std::string& text) {
        if (file_) {
            writeAll(file_->descriptor(), text.data(), text.size(), file_->name());
            file_->commit();
        } else if (std::fputs(text.c_str(), stream_) < 0 || std::fflush(stream_) != 0) {
            throw systemError(std::string("cannot write ") +
                              (stream_ == stdout ? "standard output" : "standard error"));
        }
    }

private:
    std::FILE* stream_ = nullptr;
    std::unique_ptr<OutputFile> file_;
};

/// The work of one run, with its reports for the summary.
class Run {
public:
    explicit Run(const ProcessOptions& options) : options_(options) {}

    void start() {
        jobs_ = jobsOf(options_);
        checkSettings(options_.processing, jobs_);
        if (options_.json || options_.jsonPath)
            json_.emplace(options_, jobs_);
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
