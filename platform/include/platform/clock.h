#pragma once

// Milliseconds for the GUI's pacing: a wrapping 32-bit tick count and a sleep. Tests install a
// ManualClock, which makes the tick count theirs and turns every sleep into an advance of it.

#include <cstdint>

namespace miral::platform {

/// Milliseconds since an arbitrary start; wraps around after 2^32.
uint32_t tickCount();

/// Sleeps, or under a ManualClock advances its time by milliseconds.
void sleepMilliseconds(uint32_t milliseconds);

/// A clock owned by the test: while one exists, tickCount() answers its time. A newer clock
/// takes over until it is destroyed.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    uint32_t now() const { return now_; }
    void advance(uint32_t milliseconds) { now_ += milliseconds; }
    /// Total milliseconds slept under this clock.
    uint32_t slept() const { return slept_; }

private:
    friend void sleepMilliseconds(uint32_t);
    ManualClock* previous_;
    uint32_t now_;
    uint32_t slept_ = 0;
};

} // namespace miral::platform
