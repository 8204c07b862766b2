#pragma once

// Conversion between the graph's 16-bit integer samples and the effect's floats.

#include <cstdint>

namespace miral::dx {

/// Non-negative samples scale by 1/32767 and negative ones by 1/32768 (in double precision),
/// so 32767 gives exactly +1.0 and -32768 exactly -1.0.
float pcm16ToFloat(int16_t sample) noexcept;

/// y × 32767 + 0.5 for y ≥ 0 and y × 32768 − 0.5 below, in double precision, truncated toward
/// zero and saturated to the 16-bit range: beyond ±1.0 the output stays at 32767 or −32768
/// instead of wrapping around. Not a number gives 0.
int16_t floatToPcm16(float value) noexcept;

} // namespace miral::dx
