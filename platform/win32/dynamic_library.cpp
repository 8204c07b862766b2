// Windows: LoadLibrary, GetProcAddress and FreeLibrary behind DynamicLibrary.
#include "platform/dynamic_library.h"

#include "win32/windows_api.h"

namespace miral::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::load(const char* path, std::string* error) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        if (error != nullptr)
            *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module));
}

DynamicLibrary::~DynamicLibrary() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::entry(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

} // namespace miral::platform
