#pragma once

// The process-wide state a plug-in call must leave as it found it: the C locale, the
// floating-point control settings (rounding, exception masks, flush-to-zero) and the number of
// threads.

#include <cstdint>
#include <optional>
#include <string>

namespace miral::harness {

struct GlobalState {
    std::string locale;
    uint32_t x87Control = 0;
    uint32_t sseControl = 0; ///< MXCSR without its exception flags
    std::optional<int> threads;

    bool operator==(const GlobalState&) const = default;
};

GlobalState currentGlobalState();

/// One line for a failure message.
std::string describe(const GlobalState& state);

} // namespace miral::harness
