#pragma once

// The demo's test signal: a few seconds of a small stereo groove (a two-chord pad, bass, kick,
// hats and a soft noise floor) so that every band of the equaliser has something to act on.
// Deterministic: the same samples on every machine and every run.

#include <cstdint>
#include <vector>

namespace miral::cli {

inline constexpr int32_t kDemoSampleRateHz = 48000;
inline constexpr double kDemoSeconds = 4.0;

/// Interleaved stereo frames at kDemoSampleRateHz, kDemoSeconds long, peaking at −6 dBFS.
std::vector<float> synthesiseDemoSignal();

} // namespace miral::cli
