// LoadLibrary, GetProcAddress and FreeLibrary behind DynamicLibrary.
#include "win32/dynamic_library.h"

#include "win32/windows_api.h"

namespace miral::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::load(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return nullptr;
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module));
}

DynamicLibrary::~DynamicLibrary() {
    FreeLibrary(static_cast<HMODULE>(module_));
}

void* DynamicLibrary::entry(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), name));
}

} // namespace miral::platform
