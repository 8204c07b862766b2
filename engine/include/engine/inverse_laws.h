#pragma once

// Inverses of the mapping laws: the normalised value that gives a physical value, for hosts and
// tools that take settings in dB, Hz and Q. Each is derived from its forward law's end points,
// so the two cannot drift apart. Results are in double precision and are not limited to 0..1:
// a value outside its parameter's range maps outside 0..1, and the caller decides.

#include <cstdint>

namespace miral {

/// Inverse of normToGainDb: −16 dB → 0, 0 dB → 0.5, +16 dB → 1.
double gainDbToNorm(double gainDb);

/// Inverse of normToFrequencyHz for filter index k (0..11; k % 6 is the band). Frequencies of
/// zero or below have no normalised value and give −infinity or NaN.
double frequencyHzToNorm(double frequencyHz, int32_t filterIndex);

/// Inverse of normToQ: Q 1 → 0, Q 10 → 1.
double qToNorm(double q);

/// Inverse of normToOutputGainDb: 0 dB gives exactly 0.5, the value with the exact unit factor.
double outputGainDbToNorm(double gainDb);

/// The switch value a host sends: 1 for on, 0 for off (normToEnabled gives 1 and 0 back).
double enabledToNorm(bool on);

} // namespace miral
