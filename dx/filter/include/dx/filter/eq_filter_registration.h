#pragma once

// What the system's filter mapper learns of the filter "TOLMEK Soft MIRAL": its name, merit
// and pins. Registration of the server enters it, and so does the filter's own IAMovieSetup.

#include "dx/framework/windows_api.h"

#include <strmif.h>

namespace miral::dx {

inline constexpr const wchar_t* kEqFilterName = L"TOLMEK Soft MIRAL";

/// Merit "do not use", two pins "Input" and "Output" of audio of any subtype.
const REGFILTER2& eqFilterRecord() noexcept;

} // namespace miral::dx
