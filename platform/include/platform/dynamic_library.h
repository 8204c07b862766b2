#pragma once

// A shared library (a DLL on Windows) loaded for the lifetime of the object, and its exported
// entries: how hosts load the plug-in, and how the Windows backend reaches msimg32.dll.

#include <memory>
#include <string>

namespace miral::platform {

class DynamicLibrary {
public:
    /// The library at `path` (a path, or on Windows also a DLL name; Unix-style paths work under
    /// Wine); null when it cannot be loaded, with the system's reason in `error` when given.
    static std::unique_ptr<DynamicLibrary> load(const char* path, std::string* error = nullptr);

    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    /// The exported entry `name`, or null.
    void* entry(const char* name) const;

    /// The exported entry as a function pointer type, or null.
    template <typename Function> Function entryAs(const char* name) const {
        return reinterpret_cast<Function>(entry(name));
    }

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

} // namespace miral::platform
