#pragma once

// Signals that end the process turn into an orderly stop, so that outputs are discarded and
// inputs closed instead of left half done. Handlers are installed without SA_RESTART: a
// blocking system call returns EINTR when a signal arrives, and the loops around such calls
// check the flag.

#include <signal.h>

namespace miral::cli {

/// Catches every terminating signal that can be caught (interrupt, termination, hang-up, quit,
/// the user signals, a broken pipe, timers, the CPU limit) from now on, and ignores SIGXFSZ so
/// that a write beyond the file-size limit fails instead of killing the process.
void catchInterruptions();

/// True once a caught signal has arrived.
bool interrupted();

/// Throws std::runtime_error("interrupted") once a caught signal has arrived.
void stopIfInterrupted();

/// Holds back the caught signals for its lifetime (they arrive when it ends): for steps that
/// must not be cut in two, such as giving a finished file its name.
class DeferredInterruptions {
public:
    DeferredInterruptions();
    ~DeferredInterruptions();
    DeferredInterruptions(const DeferredInterruptions&) = delete;
    DeferredInterruptions& operator=(const DeferredInterruptions&) = delete;

private:
    sigset_t saved_; ///< the signal mask before
};

} // namespace miral::cli
