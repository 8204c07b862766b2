#pragma once

// Audio files through libsndfile: an input read in float frames, and an output written into an
// OutputFile, which keeps a failed or interrupted run from leaving a partial file.

#include "output_safety/output_file.h"

#include <sndfile.h>

#include <cstdint>
#include <optional>
#include <string>

namespace miral::cli {

/// An open input file; "-" reads standard input. Streams (standard input from a pipe, FIFOs,
/// devices) are copied aside first, so every container reads as from a file. Samples arrive as
/// floats, full scale ±1, channels interleaved.
class AudioInput {
public:
    /// Throws std::runtime_error "cannot read PATH: reason" for a missing, unreadable or
    /// unsupported file, "interrupted" when a caught signal stops a stalled stream.
    explicit AudioInput(const std::string& path);
    ~AudioInput();
    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    const SF_INFO& info() const { return info_; }
    /// "standard input" for "-", else the path.
    const std::string& name() const { return name_; }
    /// Reads up to `frames` frames; returns how many were read, 0 at the end. Throws on a read
    /// error.
    int64_t read(float* interleaved, int64_t frames);
    /// Throws std::runtime_error when fewer than the announced frames were read: the file is
    /// damaged or truncated.
    void checkComplete(int64_t framesRead) const;

private:
    std::string name_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
    int64_t announcedFrames_ = 0;
};

/// An output file being written. Integer formats saturate at full scale instead of wrapping
/// and store 0 for NaN and infinite samples; a container whose sizes are 32-bit never gets
/// more data than its header can count.
class AudioOutput {
public:
    /// Starts the libsndfile `format` in `file`. Throws std::runtime_error when libsndfile
    /// refuses it.
    AudioOutput(OutputFile& file, int format, int32_t channels, int32_t sampleRateHz);
    /// Ends the libsndfile stream; the file itself is discarded unless commit() succeeded.
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    /// Writes `frames` frames; for integer formats non-finite samples are first set to 0 in
    /// place.
    void write(float* interleaved, int64_t frames);
    /// Finishes the stream and puts the file in place. Throws on failure, leaving the
    /// destination as it was.
    void commit();

private:
    OutputFile& file_;
    SNDFILE* stream_ = nullptr;
    int32_t channels_;
    bool integer_;
    std::optional<uint64_t> frameLimit_; ///< the most frames the container can count
    uint64_t framesWritten_ = 0;
};

} // namespace miral::cli
