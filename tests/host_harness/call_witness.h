#pragma once

// Watches one call into the plug-in as a strict host does: the process-wide state before and
// after, and everything the call prints.

#include "global_state.h"
#include "output_capture.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

namespace miral::harness {

class CallWitness {
public:
    CallWitness() : before_(currentGlobalState()) {}

    /// Fails the current test when the call changed the global state or printed anything but
    /// the allowed output; `what` and `argument` name the call in the message.
    void verify(const char* what, int64_t argument);

    /// Text the plug-in documents that it prints (a whole write, newline included).
    static void allowOutput(std::string text);
    /// Calls verified so far in this process.
    static uint64_t verifiedCalls();

private:
    GlobalState before_;
    OutputCapture output_;
};

/// Runs `call` under a CallWitness and returns its result.
template <typename Call> auto witnessed(const char* what, int64_t argument, Call&& call) {
    CallWitness witness;
    if constexpr (std::is_void_v<decltype(call())>) {
        std::forward<Call>(call)();
        witness.verify(what, argument);
    } else {
        auto result = std::forward<Call>(call)();
        witness.verify(what, argument);
        return result;
    }
}

} // namespace miral::harness
