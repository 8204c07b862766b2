#pragma once

// Reproducible noise for the graph tests: every sample differs from its neighbours, so a lost,
// repeated or swapped sample shows in the output.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace miral::dx::test {

/// Noise over the full 16-bit range.
std::vector<int16_t> noise16(size_t count);
/// Noise in [-0.5, 0.5), with 24 significant bits.
std::vector<float> noiseFloat(size_t count);

} // namespace miral::dx::test
