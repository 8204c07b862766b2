#pragma once

// The process-wide state a plug-in call must leave as it found it: the C locale, the
// floating-point control settings (rounding, exception masks, flush-to-zero) and the number of
// threads.

#include <cstdint>
#include <optional>
#include <string>
#include <thread>

namespace miral::harness {

struct GlobalState {
    std::string locale;
    uint32_t x87Control = 0;
    uint32_t sseControl = 0; ///< MXCSR without its exception flags
    std::optional<int> threads;

    bool operator==(const GlobalState&) const = default;
};

GlobalState currentGlobalState();

/// Joins a test's own `thread` and waits, up to a second, until the process counts
/// `threadsBefore` threads again: a joined thread may still be counted while the system finishes
/// its exit, and the next plug-in call's check would blame the plug-in for it.
void joinAndSettle(std::thread& thread, std::optional<int> threadsBefore);

/// One line for a failure message.
std::string describe(const GlobalState& state);

} // namespace miral::harness
