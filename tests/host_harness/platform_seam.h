#pragma once

// What the harness needs from the operating system, one implementation per platform: loading
// the plug-in library, the process's thread count and resident memory.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace miral::harness {

/// A shared library loaded for the lifetime of the object.
class PluginLibrary {
public:
    /// The library at `path`; null when it cannot be loaded (the reason goes to `error`).
    static std::unique_ptr<PluginLibrary> load(const char* path, std::string* error);

    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    /// The exported symbol `name`, or null.
    void* symbol(const char* name) const;

private:
    explicit PluginLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

/// Threads of this process; none where the platform cannot count them reliably.
std::optional<int> threadCount();

/// Resident memory of this process in bytes.
size_t residentBytes();

} // namespace miral::harness
