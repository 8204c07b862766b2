#pragma once

// Signals that end the process turn into an orderly stop, so that outputs are discarded and
// inputs closed instead of left half done. Handlers are installed without SA_RESTART: a
// blocking system call returns EINTR when a signal arrives, and the loops around such calls
// check the flag.

#include <signal.h>

namespace miral::cli {

/// Catches every terminating signal that can be caught (interrupt, termination, hang-up, quit,
/// the user signals, a broken pipe, timers, the CPU limit) from now on, except those ignored
/// when the process started (as under nohup), which stay ignored; and ignores SIGXFSZ so that
/// a write beyond the file-size limit fails instead of killing the process.
void catchInterruptions();

/// True once a caught signal has arrived.
bool interrupted();

/// Once a caught signal has arrived: ends the process by that signal with its default action,
/// so that the caller sees it killed by the signal (a shell's 130 for SIGINT). Call when
/// everything is cleaned up; returns when no signal arrived.
void endByCaughtSignal();

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
