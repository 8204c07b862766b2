#pragma once

// One band: the physical values it was derived from and the coefficients of its last design,
// shared by both channels. The channels' recursion states live with the audio path.

#include "engine/biquad.h"

#include <cstdint>

namespace miral {

/// Recursion states: six bands × two channels, index band + 6 × channel.
inline constexpr int32_t kNumFilters = 12;

struct EqBand {
    double gainDb = 0.0;      ///< band gain without the gain-range factor
    double frequencyHz = 0.0; ///< corner (shelves) or centre (peaks) frequency
    double q = 0.0;           ///< quality factor, used by the peaks only
    int16_t enabled = 0;      ///< non-zero while the band's switch is on
    BiquadCoefficients coefficients;
    bool designed = false; ///< the coefficients come from a successful design

    /// The section takes part in processing.
    bool isActive() const { return gainDb != 0.0 && enabled != 0 && designed; }
};

} // namespace miral
