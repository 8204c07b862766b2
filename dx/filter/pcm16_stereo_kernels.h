#pragma once

// The vector paths of the 16-bit stereo conversions, by instruction set.

#include <cstddef>
#include <cstdint>

namespace miral::dx {

enum class Pcm16Kernel {
    Scalar, ///< one sample at a time; every processor
    Sse2,   ///< four frames at a time
    Avx2,   ///< eight frames at a time
};

/// Whether this processor (and its operating system) runs the kernel.
bool runsPcm16Kernel(Pcm16Kernel kernel) noexcept;
/// The fastest kernel this processor runs, chosen once.
Pcm16Kernel fastestPcm16Kernel() noexcept;

/// deinterleavePcm16 and interleavePcm16 through a kernel the processor runs.
void deinterleavePcm16(Pcm16Kernel kernel, const std::uint8_t* source, int channels,
                       std::size_t frames, float* left, float* right) noexcept;
void interleavePcm16(Pcm16Kernel kernel, const float* left, const float* right, std::size_t frames,
                     std::uint8_t* target) noexcept;

/// The AVX2 kernel's frames (whole groups of eight from the start); only on processors that
/// run it.
std::size_t deinterleavePcm16StereoAvx2(const std::uint8_t* source, std::size_t frames, float* left,
                                        float* right) noexcept;
std::size_t interleavePcm16StereoAvx2(const float* left, const float* right, std::size_t frames,
                                      std::uint8_t* target) noexcept;

} // namespace miral::dx
