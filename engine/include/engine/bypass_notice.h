#pragma once

// What the user is told when the engine bypasses itself below the lowest sample rate. The
// engine only reports the bypass; each plug-in front end shows these words its own way.

namespace miral {

inline constexpr const char* kBypassNoticeText =
    "sampling frequency must be>=44100 - MIRAL has been bypassed";
inline constexpr const char* kBypassNoticeCaption = "MIRAL";

} // namespace miral
