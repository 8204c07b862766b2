// Windows: GetTickCount and Sleep.
#include "platform/system_clock.h"

#include "platform/win32/windows_api.h"

namespace miral::platform {

uint32_t systemTickCount() {
    return GetTickCount();
}

void systemSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

} // namespace miral::platform
