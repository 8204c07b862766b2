#include "output_safety/interruption.h"

#include <csignal>
#include <stdexcept>

namespace miral::cli {
namespace {

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteInterruption(int signal) {
    caughtSignal = signal;
}

constexpr int kTerminatingSignals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1, SIGUSR2,
                                       SIGPIPE, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};

sigset_t terminatingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kTerminatingSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void catchInterruptions() {
    struct sigaction action {};
    action.sa_handler = noteInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: blocking calls return EINTR
    for (const int signal : kTerminatingSignals) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

void endByCaughtSignal() {
    const int signal = caughtSignal;
    if (signal == 0)
        return;
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
}

bool interrupted() {
    return caughtSignal != 0;
}

void stopIfInterrupted() {
    if (interrupted())
        throw std::runtime_error("interrupted");
}

DeferredInterruptions::DeferredInterruptions() {
    const sigset_t set = terminatingSignals();
    pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

DeferredInterruptions::~DeferredInterruptions() {
    pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

} // namespace miral::cli
