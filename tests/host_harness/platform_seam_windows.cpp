// Windows: LoadLibrary and the process memory counters. Wine starts and ends threads of its own
// at any time, so the thread count is not observed.
#include "platform_seam.h"

#include <windows.h>

#include <psapi.h>

#include <string>

namespace miral::harness {

std::unique_ptr<PluginLibrary> PluginLibrary::load(const char* path, std::string* error) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    return std::unique_ptr<PluginLibrary>(new PluginLibrary(module));
}

PluginLibrary::~PluginLibrary() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* PluginLibrary::symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

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
