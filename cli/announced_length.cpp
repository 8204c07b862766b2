#include "announced_length.h"

#include "sample_size.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

namespace miral::cli {
namespace {

struct DataChunk {
    int container;
    const char* id;
    int headerBytes; ///< bytes before the samples inside the chunk
};

constexpr DataChunk kDataChunks[] = {
    {SF_FORMAT_WAV, "data", 0},
    {SF_FORMAT_WAVEX, "data", 0},
    {SF_FORMAT_AIFF, "SSND", 8}, // offset and block size
};

// Writers that cannot seek back, such as sox into a pipe, announce a placeholder near 2 GiB;
// such a size tells nothing.
constexpr uint32_t kPlaceholderBytes = 0x7F000000;

constexpr char kOggCapture[] = "OggS";
constexpr size_t kOggFlagsOffset = 5;
constexpr unsigned char kOggEndOfStream = 0x04;
constexpr size_t kOggGranuleOffset = 6;
constexpr size_t kOggHeaderStart = 14; // capture, version, flags, granule position
constexpr size_t kOggLargestPage = 65307;

/// The granule position of the last Ogg page, which for Vorbis counts the frames up to its
/// end; SF_COUNT_MAX, an unknown length, when that page does not end the stream (the file
/// was cut at a page boundary); none when the file's tail holds no page.
std::optional<int64_t> lastGranule(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0)
        return std::nullopt;
    const auto tailBytes = static_cast<size_t>(
        std::min<off_t>(status.st_size, static_cast<off_t>(kOggLargestPage + kOggHeaderStart)));
    std::vector<unsigned char> tail(tailBytes);
    if (pread(descriptor, tail.data(), tailBytes, status.st_size - static_cast<off_t>(tailBytes)) !=
        static_cast<ssize_t>(tailBytes))
        return std::nullopt;
    for (size_t at = tailBytes < kOggHeaderStart ? 0 : tailBytes - kOggHeaderStart + 1; at-- > 0;) {
        if (std::memcmp(&tail[at], kOggCapture, 4) != 0)
            continue;
        if ((tail[at + kOggFlagsOffset] & kOggEndOfStream) == 0)
            return SF_COUNT_MAX;
        int64_t granule = 0;
        for (int byte = 7; byte >= 0; --byte)
            granule = (granule << 8) | tail[at + kOggGranuleOffset + static_cast<size_t>(byte)];
        if (granule >= 0)
            return granule;
    }
    return std::nullopt;
}

} // namespace

int64_t announcedFrames(SNDFILE* file, const SF_INFO& info, int descriptor) {
    if ((info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS) {
        const std::optional<int64_t> granule = lastGranule(descriptor);
        return granule ? *granule : info.frames;
    }
    const std::optional<int> sampleBytes = bytesPerSample(info.format);
    const auto chunk =
        std::find_if(std::begin(kDataChunks), std::end(kDataChunks), [&](const DataChunk& c) {
            return c.container == (info.format & SF_FORMAT_TYPEMASK);
        });
    if (!sampleBytes || chunk == std::end(kDataChunks))
        return info.frames;
    SF_CHUNK_INFO wanted{};
    std::strcpy(wanted.id, chunk->id);
    wanted.id_size = 4;
    SF_CHUNK_ITERATOR* found = sf_get_chunk_iterator(file, &wanted);
    SF_CHUNK_INFO size{};
    if (!found || sf_get_chunk_size(found, &size) != SF_ERR_NO_ERROR ||
        size.datalen < static_cast<unsigned>(chunk->headerBytes) ||
        size.datalen >= kPlaceholderBytes)
        return info.frames;
    const int64_t frameBytes = static_cast<int64_t>(*sampleBytes) * info.channels;
    return std::max<int64_t>(
        info.frames, (size.datalen - static_cast<unsigned>(chunk->headerBytes)) / frameBytes);
}

} // namespace miral::cli
