#include "audio_files/announced_length.h"

#include "audio_files/sndfile_formats.h"

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

/// `count` bytes at `offset` as an unsigned number, little- or big-endian; none when the file
/// is shorter.
std::optional<uint64_t> numberAt(int descriptor, off_t offset, size_t count, bool bigEndian) {
    unsigned char bytes[8] = {};
    if (pread(descriptor, bytes, count, offset) != static_cast<ssize_t>(count))
        return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value |= static_cast<uint64_t>(bigEndian ? bytes[count - 1 - i] : bytes[i]) << (8 * i);
    return value;
}

/// The bytes of sample data the header of an AU, W64, RF64 or VOC file announces; none when
/// it announces no size (a writer that could not seek back) or for other containers.
std::optional<uint64_t> announcedDataBytes(int container, int descriptor) {
    switch (container) {
    case SF_FORMAT_AU: { // ".snd", offset, size (all ones: unknown)
        const auto size = numberAt(descriptor, 8, 4, true);
        return size && *size != 0xFFFFFFFFu ? size : std::nullopt;
    }
    case SF_FORMAT_RF64: // "RF64", size, "WAVE", "ds64", size, RIFF size, data size
        return numberAt(descriptor, 28, 8, false);
    case SF_FORMAT_W64: { // chunks of a 16-byte GUID and a 64-bit size that counts them whole
        constexpr off_t kFirstChunk = 40, kChunkHeader = 24;
        for (off_t at = kFirstChunk;;) {
            char id[4];
            const auto size = numberAt(descriptor, at + 16, 8, false);
            if (!size || pread(descriptor, id, 4, at) != 4 || *size < kChunkHeader)
                return std::nullopt;
            if (std::memcmp(id, "data", 4) == 0)
                return *size - kChunkHeader;
            at += static_cast<off_t>((*size + 7) & ~uint64_t{7});
        }
    }
    case SF_FORMAT_VOC: { // the first block: a type, a 24-bit length and the block's header
        const auto offset = numberAt(descriptor, 20, 2, false);
        const auto type =
            offset ? numberAt(descriptor, static_cast<off_t>(*offset), 1, false) : std::nullopt;
        const auto length =
            offset ? numberAt(descriptor, static_cast<off_t>(*offset) + 1, 3, false) : std::nullopt;
        const uint64_t blockHeader = type == 9u ? 12 : type == 1u ? 2 : 0;
        if (!length || blockHeader == 0 || *length < blockHeader)
            return std::nullopt;
        return *length - blockHeader;
    }
    default:
        return std::nullopt;
    }
}

/// Where the samples of an IRCAM, PAF or PVF file start: these headers announce no length, but
/// a file cut inside a frame is cut all the same. None for other containers.
std::optional<off_t> unannouncedDataStart(int container, int descriptor) {
    switch (container) {
    case SF_FORMAT_IRCAM:
        return 1024;
    case SF_FORMAT_PAF:
        return 2048;
    case SF_FORMAT_PVF: { // two lines of text: "PVF1", then channels, rate and bits
        char header[64];
        const ssize_t got = pread(descriptor, header, sizeof header, 0);
        int lines = 0;
        for (ssize_t i = 0; i < got; ++i)
            if (header[i] == '\n' && ++lines == 2)
                return i + 1;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

/// The frames an AVR file announces: a count of its own.
std::optional<int64_t> announcedAvrFrames(int descriptor) {
    constexpr off_t kFramesOffset = 26; // magic, name, channels, bits, sign, loop, note, rate
    const auto frames = numberAt(descriptor, kFramesOffset, 4, true);
    return frames ? std::optional<int64_t>(static_cast<int64_t>(*frames)) : std::nullopt;
}

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
    const int container = info.format & SF_FORMAT_TYPEMASK;
    if (container == SF_FORMAT_AVR) {
        const std::optional<int64_t> frames = announcedAvrFrames(descriptor);
        return std::max<int64_t>(info.frames, frames.value_or(0));
    }
    if (const std::optional<uint64_t> bytes = announcedDataBytes(container, descriptor);
        bytes && sampleBytes) {
        const auto frameBytes = static_cast<uint64_t>(*sampleBytes * info.channels);
        return std::max<int64_t>(info.frames, static_cast<int64_t>(*bytes / frameBytes));
    }
    if (const std::optional<off_t> start = unannouncedDataStart(container, descriptor);
        start && sampleBytes) {
        struct stat status {};
        const off_t frameBytes = *sampleBytes * info.channels;
        if (fstat(descriptor, &status) == 0 && status.st_size > *start &&
            (status.st_size - *start) % frameBytes != 0)
            return SF_COUNT_MAX; // ends inside a frame: cut off, at an unknown length
        return info.frames;
    }
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
