#pragma once

// Coefficient design of the three band shapes: pure functions of gain, frequency and sample
// rate. Inputs are not checked; within the parameter ranges (20..18000 Hz, Q 1..10, non-zero
// gains within ±16 dB, rates of 44100 Hz and above) every design is finite and stable.

#include "engine/biquad.h"

namespace miral {

struct ShelfZeroPole {
    double zero;
    double pole;
};

/// First-order shelf prototype for `gainDb` with u = cos θ of the shelf designs. A boost is the
/// exact inverse of the cut of the same size (zero and pole exchanged). Below 4 dB the pole stays
/// where a 4 dB shelf puts it and only the zero follows the gain.
ShelfZeroPole shelfPrototype(double gainDb, double u);

/// First-order low shelf: `gainDb` at 0 Hz, 0 dB towards Nyquist, the corner at `frequencyHz`.
BiquadCoefficients designLowShelf(double gainDb, double frequencyHz, double sampleRateHz);

/// First-order high shelf: `gainDb` at Nyquist, 0 dB towards 0 Hz.
BiquadCoefficients designHighShelf(double gainDb, double frequencyHz, double sampleRateHz);

/// Second-order peak with `gainDb` exactly at `centreHz`, a prescribed gain at the Nyquist
/// frequency, and `bandwidthHz` between the band edges. A cut is the reciprocal of the boost.
BiquadCoefficients designPeak(double gainDb, double centreHz, double bandwidthHz,
                              double sampleRateHz);

/// What a band's design takes from its frequency, Q and sample rate alone: the shelves' warping,
/// the peaks' frequency and bandwidth terms. Made once, it serves designs of any gain at that
/// frequency, as while a gain glides.
struct BandFrequencyTerms {
    double u = 0.0, warp = 0.0;                                                    ///< shelves
    double a0 = 0.0, deltaOmegaSquared = 0.0, t0Squared = 0.0, tanHalfDelta = 0.0; ///< peaks
};

/// The frequency terms of band 0..5; the peaks' bandwidth is frequency / q.
BandFrequencyTerms bandFrequencyTerms(int band, double frequencyHz, double q, double sampleRateHz);

/// The design of band 0..5 from its frequency terms: the same coefficients as designBand with
/// the frequency, Q and rate they were made from.
BiquadCoefficients designBand(int band, double gainDb, const BandFrequencyTerms& terms);

/// The design of band 0..5 (low shelf, four peaks, high shelf) for a gain already scaled by
/// the gain range; the peaks' bandwidth is frequency / q.
BiquadCoefficients designBand(int band, double gainDb, double frequencyHz, double q,
                              double sampleRateHz);

} // namespace miral
