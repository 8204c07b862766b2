#pragma once

// What miral_vst makes of the same audio: the plug-in library loaded as a Windows host loads
// it, driven as a host that streams without interruption drives it (open, the rate announced
// with suspend and resume, a program's 26 values, one resume, then each new block length
// announced alone) over the same block lengths.

#include <cstdint>
#include <vector>

namespace miral::dx::test {

struct StereoFloat {
    std::vector<float> left;
    std::vector<float> right;
};

/// Splits interleaved stereo frames.
StereoFloat deinterleave(const std::vector<float>& frames);

/// Processes `input` at `rateHz` with the parameter `values` in blocks of the given lengths;
/// fails the test when the library cannot be loaded.
StereoFloat processWithVst(const float* values, uint32_t rateHz, const StereoFloat& input,
                           const std::vector<int32_t>& blocks);

} // namespace miral::dx::test
