#pragma once

// What the harness needs from the operating system beyond loading the plug-in library, one
// implementation per platform: the process's thread count and resident memory.

#include <cstddef>
#include <optional>

namespace miral::harness {

/// Threads of this process; none where the platform cannot count them reliably.
std::optional<int> threadCount();

/// Resident memory of this process in bytes.
size_t residentBytes();

} // namespace miral::harness
