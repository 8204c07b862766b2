#pragma once

// Waiting for what a window system does asynchronously (exposure, input, destruction): a step
// (usually idling the editor) repeated with short pauses until a condition holds. The limit is
// wall-clock time and generous, so that a busy machine slows a test down but never fails it;
// only a condition that never comes true costs the whole limit.

#include <chrono>
#include <thread>

namespace miral::testing {

inline constexpr std::chrono::seconds kWindowSystemPatience{30};

/// Runs `step`, then checks `done`, until `done` holds (true) or the limit passed (false).
template <typename Step, typename Condition>
bool repeatUntil(Step step, Condition done,
                 std::chrono::steady_clock::duration limit = kWindowSystemPatience) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        step();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace miral::testing
