#include "audio_files/audio_file.h"

#include "audio_files/announced_length.h"
#include "audio_files/container_limits.h"
#include "audio_files/input_spool.h"
#include "audio_files/output_format.h"
#include "audio_files/sndfile_formats.h"
#include "audio_files/sndfile_stream.h"
#include "output_safety/standard_descriptors.h"
#include "usage_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace miral::cli {
namespace {

/// The input as a descriptor libsndfile can seek in: the file itself, or a copy of a stream.
FileDescriptor openSeekable(const std::string& path, const std::string& name) {
    const std::string what = "cannot read " + name;
    if (path == kStandardStream && wasClosedAtStart(STDIN_FILENO))
        throw UsageError("standard input is closed (give an input file)");
    if (path == kStandardStream && isatty(STDIN_FILENO))
        std::fputs("miral: reading audio from standard input (end it with Ctrl-D)...\n", stderr);
    FileDescriptor input = path == kStandardStream
                               ? FileDescriptor(fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0))
                               : openInterruptibly(path, O_RDONLY | O_NOCTTY);
    if (!input.valid())
        throw errno == ENOENT ? std::runtime_error(what + ": no such file") : systemError(what);
    struct stat status {};
    if (fstat(input.get(), &status) != 0)
        throw systemError(what);
    if (S_ISDIR(status.st_mode))
        throw std::runtime_error(what + ": it is a directory");
    if (S_ISREG(status.st_mode))
        return input;
    return spoolStream(input.get(), name);
}

} // namespace

AudioInput::AudioInput(const std::string& path)
    : name_(path == kStandardStream ? "standard input" : path) {
    const FileDescriptor input = openSeekable(path, name_);
    const std::string what = "cannot read " + name_;
    file_ = openStreamOn(input.get(), SFM_READ, info_, what);
    if (!file_)
        throw std::runtime_error(what + ": " + sf_strerror(nullptr));
    announcedFrames_ = announcedFrames(file_, info_, input.get());
}

AudioInput::~AudioInput() {
    sf_close(file_);
}

int64_t AudioInput::read(float* interleaved, int64_t frames) {
    const sf_count_t got = sf_readf_float(file_, interleaved, frames);
    if (got < frames && sf_error(file_) != SF_ERR_NO_ERROR)
        throw std::runtime_error("cannot read " + name_ + ": " + sf_strerror(file_));
    return got;
}

void AudioInput::checkComplete(int64_t framesRead) const {
    // MPEG streams announce an estimate from their bit rate.
    if ((info_.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG || framesRead >= announcedFrames_)
        return;
    throw std::runtime_error(name_ + " is damaged or truncated: reading stopped at frame " +
                             std::to_string(framesRead) +
                             (announcedFrames_ == SF_COUNT_MAX
                                  ? " of an unknown length"
                                  : " of " + std::to_string(announcedFrames_) + " announced"));
}

AudioOutput::AudioOutput(OutputFile& file, int format, int32_t channels, int32_t sampleRateHz)
    : file_(file), channels_(channels), integer_(isIntegerFormat(format)),
      frameLimit_(frameLimit(format, channels)) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRateHz;
    const std::string what = "cannot write " + file.name();
    stream_ = openStreamOn(file.descriptor(), SFM_WRITE, info, what);
    if (!stream_)
        throw std::runtime_error(what + ": " + sf_strerror(nullptr));
    sf_command(stream_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk of float files holds the time of writing: without it the same input and
    // settings give the same file, byte for byte.
    sf_command(stream_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioOutput::~AudioOutput() {
    if (stream_)
        sf_close(stream_);
}

void AudioOutput::write(float* interleaved, int64_t frames) {
    framesWritten_ += static_cast<uint64_t>(frames);
    if (frameLimit_ && framesWritten_ > *frameLimit_)
        throw std::runtime_error("cannot write " + file_.name() +
                                 ": more frames than its container can count");
    if (integer_)
        for (int64_t i = 0; i < frames * channels_; ++i)
            if (!std::isfinite(interleaved[i]))
                interleaved[i] = 0.0f;
    if (sf_writef_float(stream_, interleaved, frames) != frames)
        throw std::runtime_error("cannot write " + file_.name() + ": " + sf_strerror(stream_));
}

void AudioOutput::commit() {
    const int closeError = sf_close(stream_);
    stream_ = nullptr;
    if (closeError != SF_ERR_NO_ERROR)
        throw std::runtime_error("cannot write " + file_.name() + ": " +
                                 sf_error_number(closeError));
    file_.commit();
}

} // namespace miral::cli
