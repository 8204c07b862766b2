#include "audio_files/format_probe.h"

#include "audio_files/sndfile_formats.h"
#include "audio_files/sndfile_stream.h"
#include "output_safety/file_descriptor.h"
#include "usage_error.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

namespace miral::cli {
namespace {

const char* const kProbing = "cannot try an output format";

/// Opens `format`, writes one frame and finishes; true when all of it succeeds.
bool writesOneFrame(SNDFILE* stream, int32_t channels) {
    if (!stream)
        return false;
    const std::vector<float> frame(static_cast<size_t>(channels), 0.0f);
    const bool written = sf_writef_float(stream, frame.data(), 1) == 1;
    return sf_close(stream) == SF_ERR_NO_ERROR && written;
}

SF_INFO infoOf(int format, int32_t channels, int32_t sampleRateHz) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRateHz;
    return info;
}

/// Tried on a file in memory, through the same entry point as real output files.
bool writableToFile(int format, int32_t channels, int32_t sampleRateHz) {
    const FileDescriptor scratch(memfd_create("miral-format-probe", MFD_CLOEXEC));
    SF_INFO info = infoOf(format, channels, sampleRateHz);
    return scratch.valid() &&
           writesOneFrame(openStreamOn(scratch.get(), SFM_WRITE, info, kProbing), channels);
}

bool writableToPipe(int format, int32_t channels, int32_t sampleRateHz) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) // a full pipe fails instead of waiting
        return false;
    const FileDescriptor reading(ends[0]), writing(ends[1]); // what is written stays in the pipe
    SF_INFO info = infoOf(format, channels, sampleRateHz);
    return writesOneFrame(openStreamOn(writing.get(), SFM_WRITE, info, kProbing), channels);
}

/// "au, flac, ogg, ...": the extensions of the containers that can be written into a pipe.
std::string streamableTypes(int32_t channels, int32_t sampleRateHz) {
    std::string list;
    for (const Container& container : sndfileContainers()) {
        for (const int subtype :
             {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_VORBIS}) {
            if (writableToPipe(container.format | subtype, channels, sampleRateHz)) {
                list += (list.empty() ? "" : ", ") + container.extension;
                break;
            }
        }
    }
    return list;
}

} // namespace

void checkWritable(int format, int32_t channels, int32_t sampleRateHz,
                   const std::string& streamReason, const std::string& outputName) {
    if (!writableToFile(format, channels, sampleRateHz))
        throw UsageError(outputName + ": libsndfile cannot write " + describeFormat(format) +
                         (channels == 1 ? " mono" : " stereo") + " at " +
                         std::to_string(sampleRateHz) + " Hz");
    if (!streamReason.empty() && !writableToPipe(format, channels, sampleRateHz))
        throw UsageError(outputName + " " + streamReason + ", and " + describeFormat(format) +
                         " cannot be written without seeking back (--type " +
                         streamableTypes(channels, sampleRateHz) + " can)");
}

} // namespace miral::cli
