#pragma once

// Signal power in three frequency regions, from an averaged spectrum, for comparing the
// demo's outputs with its input.

#include <cstdint>
#include <vector>

namespace miral::cli {

struct RegionPowers {
    double low = 0.0;  ///< below 250 Hz
    double mid = 0.0;  ///< 250 Hz .. 4 kHz
    double high = 0.0; ///< above 4 kHz
};

/// Power of interleaved `channels`-channel audio in each region (Hann-windowed, half-overlapping
/// frames, all channels summed). Only ratios between calls are meaningful.
RegionPowers measureRegionPowers(const std::vector<float>& interleaved, int32_t channels,
                                 int32_t sampleRateHz);

/// Change from `before` to `after` in dB; 0 when both are silent, ±infinity when one is.
double levelChangeDb(double before, double after);

} // namespace miral::cli
