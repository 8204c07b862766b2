#include "cli/announced_length.h"

#include "cli/sample_size.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

} // namespace

int64_t announcedFrames(SNDFILE* file, const SF_INFO& info) {
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
    return std::max<int64_t>(info.frames, (size.datalen - chunk->headerBytes) / frameBytes);
}

} // namespace miral::cli
