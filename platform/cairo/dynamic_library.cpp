// Linux: dlopen, dlsym and dlclose behind DynamicLibrary.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace miral::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::load(const char* path, std::string* error) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr)
            *error = dlerror();
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
    dlclose(handle_);
}

void* DynamicLibrary::entry(const char* name) const {
    return dlsym(handle_, name);
}

} // namespace miral::platform
