// Windows: GetTickCount and Sleep.
#include "system_clock.h"

#include "win32/windows_api.h"

namespace miral::platform {

uint32_t systemTickCount() {
    return GetTickCount();
}

void systemSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

} // namespace miral::platform
