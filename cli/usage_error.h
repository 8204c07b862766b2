#pragma once

// The two kinds of failure the miral command reports: a mistake in the command line (exit
// status 2) and anything that goes wrong while running it (std::runtime_error, exit status 1).

#include <stdexcept>

namespace miral::cli {

/// A wrong option, an unknown name or a value outside its range: the user must change the
/// command. Thrown before anything is written.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kExitProcessingError = 1;
inline constexpr int kExitUsageError = 2;

} // namespace miral::cli
