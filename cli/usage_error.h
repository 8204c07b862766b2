#pragma once

// The kinds of failure the miral command reports: a mistake in the command line (exit status
// 2), anything that goes wrong while running it (std::runtime_error, exit status 1), and a
// summary that could not be written after the audio was (exit status 3).

#include <stdexcept>

namespace miral::cli {

/// A wrong option, an unknown name or a value outside its range: the user must change the
/// command. Thrown before anything is written.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Every output was written, but the summary (text or JSON) could not be.
class SummaryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A failure already reported in its own form (a JSON object): only the exit status is left.
class ReportedFailure : public std::runtime_error {
public:
    explicit ReportedFailure(int exitStatus)
        : std::runtime_error("reported"), exitStatus_(exitStatus) {}
    int exitStatus() const { return exitStatus_; }

private:
    int exitStatus_;
};

inline constexpr int kExitProcessingError = 1;
inline constexpr int kExitUsageError = 2;
inline constexpr int kExitSummaryError = 3;

} // namespace miral::cli
