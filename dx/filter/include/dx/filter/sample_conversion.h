#pragma once

// Conversion between the graph's samples (16-bit integer or float, interleaved, mono or
// stereo) and the effect's separate float channels.

#include <cstddef>
#include <cstdint>

namespace miral::dx {

/// Non-negative samples scale by 1/32767 and negative ones by 1/32768 (in double precision),
/// so 32767 gives exactly +1.0 and -32768 exactly -1.0.
float pcm16ToFloat(int16_t sample) noexcept;

/// y × 32767 + 0.5 for y ≥ 0 and y × 32768 − 0.5 below, in double precision, truncated toward
/// zero and saturated to the 16-bit range: beyond ±1.0 the output stays at 32767 or −32768
/// instead of wrapping around. Not a number gives 0.
int16_t floatToPcm16(float value) noexcept;

/// Splits `frames` interleaved frames of `channels` (1 or 2) samples into the left and right
/// channels; a mono sample goes to both. The source needs no alignment.
void deinterleavePcm16(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept;
void deinterleaveFloat(const std::uint8_t* source, int channels, std::size_t frames, float* left,
                       float* right) noexcept;

/// Writes `frames` stereo frames, left then right, converted as floatToPcm16 does (or as they
/// are). The target needs no alignment.
void interleavePcm16(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept;
void interleaveFloat(const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept;

} // namespace miral::dx
