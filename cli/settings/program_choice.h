#pragma once

// Picks a factory program by what users type: its number ("5", "05"), its full name
// ("05 - No hiss") or its name without the number ("no hiss"), case-insensitively.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace miral::cli {

/// Index into `programNames` (the plug-in's names in program order). Throws UsageError when
/// nothing matches.
int32_t findProgram(std::string_view choice, const std::vector<std::string>& programNames);

} // namespace miral::cli
