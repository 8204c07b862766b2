#pragma once

// The libsndfile format of an output file: the container from --type or the file name's
// extension (standard output: the input's), the sample format like the input's unless the user
// asks for integer bits or float.

#include <optional>
#include <string>

namespace miral::cli {

struct FormatRequest {
    std::optional<std::string> type; ///< a container by its extension: "wav", "flac", ...
    std::optional<int> bits;         ///< 16, 24 or 32-bit integer samples
    bool asFloat = false;            ///< 32-bit float samples
};

/// The format for writing `path` ("-": standard output). Without a request the input's sample
/// format is kept when the container holds it, else the first of 24-bit, float and Vorbis that
/// it holds. Throws UsageError for an unknown type or extension or a requested sample format
/// the container cannot hold.
int outputFormat(const std::string& path, int inputFormat, const FormatRequest& request);

/// Throws UsageError for what can be told wrong about writing `path` before any input is read:
/// an unknown type or extension, a requested sample format the container cannot hold.
void checkFormatRequest(const std::string& path, const FormatRequest& request);

} // namespace miral::cli
