// Windows: the process memory counters. Wine starts and ends threads of its own
// at any time, so the thread count is not observed.
#include "platform_seam.h"

#include <windows.h>

#include <psapi.h>

namespace miral::harness {

std::optional<int> threadCount() {
    return std::nullopt;
}

size_t residentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

} // namespace miral::harness
