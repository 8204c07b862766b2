#pragma once

// Ctrl-C and termination requests turn into an orderly stop, so that the temporary output file
// is removed instead of left behind.

namespace miral::cli {

/// Catches SIGINT, SIGTERM and SIGHUP from now on.
void catchInterruptions();

/// Throws std::runtime_error("interrupted") once a caught signal has arrived.
void stopIfInterrupted();

} // namespace miral::cli
