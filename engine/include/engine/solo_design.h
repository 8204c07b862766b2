#pragma once

// The listening filters of a soloed band: the part of the spectrum the band works on, at 0 dB
// in its pass band whatever the band's gain. A peak plays through a second-order band-pass at
// its centre frequency and Q (0 dB at the centre); the low shelf through a second-order
// low-pass at its corner, the high shelf through the matching high-pass (both Butterworth,
// Q 1/√2). The shelves' side is given a second-order edge, steeper than the shelves' own first
// order, so that what lies beyond the corner is plainly gone.

#include "engine/biquad.h"

namespace miral {

/// The listening filter of band 0..5. Frequencies are kept between 10 Hz and 0.45 of the
/// sample rate and Q between 0.1 and 100, so extrapolated settings still give a stable filter.
BiquadCoefficients designSolo(int band, double frequencyHz, double q, double sampleRateHz);

} // namespace miral
