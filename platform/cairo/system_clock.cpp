// Linux: the monotonic clock in milliseconds, and a thread sleep.
#include "system_clock.h"

#include <chrono>
#include <thread>

namespace miral::platform {

uint32_t systemTickCount() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void systemSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace miral::platform
