#pragma once

// What `miral process` says about its files: a summary for people, or one JSON object for
// scripts with the keys the README documents.

#include "reporting/file_report.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace miral::cli {

/// The summary of one processed file, as lines of text.
void printSummary(std::FILE* stream, const FileReport& report);

/// The warnings about samples that integer output saturated or zeroed.
std::vector<std::string> warningsOf(const FileReport& report);

/// Prints the warnings on standard error.
void printWarnings(const FileReport& report);

/// {"files": [...], "failed": N, "error": null or the message of the run} for the reports in
/// input order.
nlohmann::json reportJson(const std::vector<FileReport>& reports, const std::string& error);

/// The JSON text of `report`, one object ending in a new line; names that are not UTF-8 are
/// shown with U+FFFD (their bytes are in `path_bytes`).
std::string jsonText(const nlohmann::json& report);

} // namespace miral::cli
