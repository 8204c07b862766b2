#include "audio_files/container_limits.h"

#include "audio_files/output_format.h"
#include "audio_files/sndfile_formats.h"
#include "usage_error.h"

#include <sndfile.h>

namespace miral::cli {
namespace {

// Room left for the header and metadata chunks below the 32-bit limit.
constexpr uint64_t kHeaderReserve = 1 << 16;
constexpr uint64_t kLargestSize = 0xFFFFFFFFull - kHeaderReserve;

constexpr int kUnlimitedContainers[] = {SF_FORMAT_W64,  SF_FORMAT_RF64, SF_FORMAT_CAF,
                                        SF_FORMAT_FLAC, SF_FORMAT_OGG,  SF_FORMAT_RAW,
                                        SF_FORMAT_MPEG};

} // namespace

std::optional<uint64_t> frameLimit(int format, int32_t channels) {
    for (const int container : kUnlimitedContainers)
        if ((format & SF_FORMAT_TYPEMASK) == container)
            return std::nullopt;
    // Encodings of unknown size per sample are counted as one byte, more than any of them uses.
    const uint64_t frameBytes =
        static_cast<uint64_t>(bytesPerSample(format).value_or(1)) * static_cast<uint64_t>(channels);
    return kLargestSize / frameBytes;
}

int formatForLength(int format, int32_t channels, int64_t frames, const std::string& outputName) {
    const std::optional<uint64_t> limit = frameLimit(format, channels);
    if (!limit || static_cast<uint64_t>(frames) <= *limit)
        return format;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV)
        return SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
    throw UsageError(outputName + ": " + std::to_string(frames) + " frames of " +
                     describeFormat(format) + " do not fit its 4 GiB limit (use .w64, .caf, " +
                     ".flac or .wav, which becomes RF64)");
}

} // namespace miral::cli
