#pragma once

// Windows: a DLL loaded by path or name for the lifetime of the object, and its exported
// entries. Used for the run-time parts of GDI (msimg32.dll) and by the tests, which load the
// plug-in library as a host does.

#include <memory>

namespace miral::platform {

class DynamicLibrary {
public:
    /// The library at `path` (a DLL name or a path, Unix-style paths work under Wine); null when
    /// it cannot be loaded.
    static std::unique_ptr<DynamicLibrary> load(const char* path);

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
    explicit DynamicLibrary(void* module) : module_(module) {}
    void* module_;
};

} // namespace miral::platform
