#include "commands/process_jobs.h"

#include "audio_files/output_format.h"
#include "host/loaded_plugin.h"
#include "output_safety/output_file.h"
#include "output_safety/same_file.h"
#include "settings/level_matching.h"
#include "usage_error.h"

#include <unistd.h>

#include <filesystem>
#include <set>

namespace miral::cli {

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

void checkSettings(const ProcessingSettings& processing, const std::vector<FileJob>& jobs) {
    for (const FileJob& job : jobs)
        checkFormatRequest(job.output, processing.format);
    host::LoadedPlugin plugin(processing.pluginPath);
    applySettings(plugin.effect(), processing.settings);
    if (processing.levelMatch)
        checkLevelMatchSettings(processing.settings, host::parameterNames(plugin.effect()));
}

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

} // namespace miral::cli
