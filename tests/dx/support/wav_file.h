#pragma once

// WAV files for the graph tests: interleaved samples written with a plain PCM or IEEE-float
// format chunk, into a file the Wine file source reads.

#include <cstdint>
#include <string>
#include <vector>

namespace miral::dx::test {

/// Writes 16-bit PCM (tag 1); true when the whole file was written.
bool writeWavPcm16(const std::string& path, int channels, uint32_t rateHz,
                   const std::vector<int16_t>& samples);
/// Writes 32-bit float (tag 3).
bool writeWavFloat32(const std::string& path, int channels, uint32_t rateHz,
                     const std::vector<float>& samples);

/// A path in the temporary folder, unique to this process.
std::string temporaryPath(const char* name);

} // namespace miral::dx::test
