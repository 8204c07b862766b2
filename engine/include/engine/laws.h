#pragma once

// Mapping laws from normalised parameter values to the physical quantities the filters, the
// output stage and the value readouts use. All are evaluated in double precision; values
// outside 0..1 extrapolate.

#include <cstdint>

namespace miral {

/// Band gain in dB: −16 at 0, exactly 0 at 0.5, +16 at 1.
double normToGainDb(float x);

/// Corner or centre frequency in Hz for filter index k (0..11; k % 6 is the band):
/// band 1 20..2000 Hz, bands 2-5 40..16000 Hz, band 6 500..18000 Hz, exponential in x.
double normToFrequencyHz(float x, int32_t filterIndex);

/// Quality factor 1..10, exponential in x.
double normToQ(float x);

/// Output gain in dB: exactly 0 at 0.5, otherwise 12 × x − 6.
double normToOutputGainDb(float x);

/// Linear output factor: exactly 1 at 0.5, otherwise 10^(dB / 20) of normToOutputGainDb.
double normToOutputFactor(float x);

/// The editor's output-gain readout in dB (−30 .. +3); not the applied gain.
double normToOutputReadoutDb(float x);

/// Band switch: x + 0.5 truncated toward zero; the band is on when the result is non-zero.
/// Saturates at the 16-bit limits instead of overflowing for extreme x.
int16_t normToEnabled(float x);

/// Factor applied to every band gain: x, limited below at 0.01.
double normToGainRange(float x);

} // namespace miral
