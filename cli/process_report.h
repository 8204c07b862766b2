#pragma once

// What `miral process` says about its files: a summary for people, or one JSON object for
// scripts with the keys the README documents.

#include "file_processing.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <vector>

namespace miral::cli {

/// The summary of one processed file, as lines of text.
void printSummary(std::FILE* stream, const FileReport& report);

/// Warns on standard error about samples that integer output saturated or zeroed.
void printWarnings(const FileReport& report);

/// {"files": [...], "failed": N} for the reports in input order.
nlohmann::json reportJson(const std::vector<FileReport>& reports);

} // namespace miral::cli
