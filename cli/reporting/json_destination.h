#pragma once

// Where a JSON summary goes, written whole or not at all.

#include "output_safety/output_file.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace miral::cli {

/// Where the summary goes: standard error for --json, standard output for --json-file -,
/// else a file made ready before any work and written as any output is.
class JsonDestination {
public:
    /// No path: standard error. "-": standard output. Else the file, made ready now; `force`
    /// replaces a read-only one.
    JsonDestination(const std::optional<std::string>& path, bool force);

    /// Throws std::runtime_error when the text cannot be written.
    void write(const std::string& text);

private:
    std::FILE* stream_ = nullptr;
    std::unique_ptr<OutputFile> file_;
};

} // namespace miral::cli
