#include "interruption.h"

#include <csignal>
#include <stdexcept>

namespace miral::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterruption(int) {
    interrupted = 1;
}

} // namespace

void catchInterruptions() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, noteInterruption);
}

void stopIfInterrupted() {
    if (interrupted)
        throw std::runtime_error("interrupted");
}

} // namespace miral::cli
