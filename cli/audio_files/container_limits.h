#pragma once

// Containers whose headers count sizes in 32 bits hold at most 4 GiB of sample data; a WAV
// file that would grow beyond becomes RF64, any other such container is refused before any
// work, so that no header ever wraps.

#include <cstdint>
#include <optional>
#include <string>

namespace miral::cli {

/// The most frames of `format` with `channels` channels the container can count; none for
/// containers with 64-bit sizes or none at all (W64, RF64, CAF, FLAC, Ogg, raw).
std::optional<uint64_t> frameLimit(int format, int32_t channels);

/// `format` for writing `frames` frames; RF64 in place of WAV when they do not fit a WAV file.
/// Throws UsageError naming `outputName` when another container cannot hold them.
int formatForLength(int format, int32_t channels, int64_t frames, const std::string& outputName);

} // namespace miral::cli
