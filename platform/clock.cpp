// The tick count and sleep of the GUI, with the test's manual clock taking precedence.
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace miral::platform {
namespace {
ManualClock* manualClock = nullptr;
}

uint32_t tickCount() {
    if (manualClock != nullptr)
        return manualClock->now();
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void sleepMilliseconds(uint32_t milliseconds) {
    if (manualClock != nullptr) {
        manualClock->now_ += milliseconds;
        manualClock->slept_ += milliseconds;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ManualClock::ManualClock(uint32_t start) : now_(start) {
    manualClock = this;
}

ManualClock::~ManualClock() {
    manualClock = nullptr;
}

} // namespace miral::platform
