#pragma once

// Stereo buffers, test signals and the sample checks of the harness.

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace miral::harness {

class HostedEffect;

/// Two channels of equal length.
struct Stereo {
    explicit Stereo(size_t frames, float value = 0.0f)
        : left(frames, value), right(frames, value) {}

    size_t frames() const { return left.size(); }
    /// Channel pointers at `offset`, as a host passes them.
    std::array<float*, 2> at(size_t offset = 0) { return {&left[offset], &right[offset]}; }
    bool operator==(const Stereo&) const = default;

    std::vector<float> left;
    std::vector<float> right;
};

/// Uniform noise in [-amplitude, amplitude), different on each channel, the same for a seed.
Stereo noise(size_t frames, float amplitude, uint32_t seed);

/// Processes `input` into `output` (both of the same length) in blocks of `blockSize` frames.
void processInBlocks(HostedEffect& effect, Stereo& input, Stereo& output, int32_t blockSize);

struct SampleCounts {
    size_t nonFinite = 0;
    size_t subnormal = 0;
    float largest = 0.0f; ///< largest magnitude among the finite samples
};
SampleCounts countSamples(const Stereo& signal);

} // namespace miral::harness
