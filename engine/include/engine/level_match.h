#pragma once

// The Output Gain that makes a setting no louder and no quieter than the dry signal: the
// loudness of pink noise through the bands, K-weighted as broadcast loudness meters weigh it,
// against its loudness without them. Computed from the chain's response, not from a signal,
// so the answer is the same at every call and takes no audio.

#include "engine/eq_engine.h"
#include "engine/params.h"

#include <array>

namespace miral {

/// The range the Output Gain parameter covers, ± this many dB.
inline constexpr double kOutputGainLimitDb = 6.0;

struct LevelMatch {
    /// What the bands change the K-weighted loudness of pink noise by, in dB.
    double loudnessChangeDb = 0.0;
    /// The Output Gain that takes the change back, within ±kOutputGainLimitDb.
    double outputGainDb = 0.0;
    /// The change lies beyond the Output Gain's range: the match is as close as it goes.
    bool limited = false;
};

/// The normalised Output Gain parameter value that applies `match`.
float outputGainValue(const LevelMatch& match);

/// The match for the bands of `design`; its own output factor is left out.
LevelMatch matchLevel(const EqDesign& design);

/// The match for the 26 normalised `values` at `sampleRateHz`. Below the lowest rate the
/// equaliser processes it bypasses, changes nothing, and the match is 0 dB.
LevelMatch matchLevel(const std::array<float, kNumParams>& values, double sampleRateHz);

} // namespace miral
