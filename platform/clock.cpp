// The tick count and sleep of the GUI, with the test's manual clock taking precedence.
#include "platform/clock.h"

#include "system_clock.h"

namespace miral::platform {
namespace {
ManualClock* manualClock = nullptr;
}

uint32_t tickCount() {
    if (manualClock != nullptr)
        return manualClock->now();
    return systemTickCount();
}

void sleepMilliseconds(uint32_t milliseconds) {
    if (manualClock != nullptr) {
        manualClock->now_ += milliseconds;
        manualClock->slept_ += milliseconds;
        return;
    }
    systemSleep(milliseconds);
}

ManualClock::ManualClock(uint32_t start) : previous_(manualClock), now_(start) {
    manualClock = this;
}

ManualClock::~ManualClock() {
    manualClock = previous_;
}

} // namespace miral::platform
