#pragma once

// Private to the platform layer: the system's millisecond tick count and sleep, one
// implementation per backend, behind the test-controllable clock of clock.h.

#include <cstdint>

namespace miral::platform {

uint32_t systemTickCount();
void systemSleep(uint32_t milliseconds);

} // namespace miral::platform
