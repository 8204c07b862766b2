#pragma once

// Where a knob's scale lies, in radians counter-clockwise from three o'clock: the lowest value at
// the lower left, travelling clockwise through three quarters of a turn to the lower right. The
// knob follows it, and the artwork generator prints the knobs' scales along it.

#include <numbers>

namespace miral::toolkit {

inline constexpr double kKnobTravelStart = 1.25 * std::numbers::pi;
inline constexpr double kKnobTravel = -1.5 * std::numbers::pi;

} // namespace miral::toolkit
