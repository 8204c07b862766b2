#pragma once

// Audio files through libsndfile: an input read in float frames, and an output that is written
// to a temporary file beside its destination and only renamed onto it when complete, so a
// failed or interrupted run never leaves a partial file (and the destination may be the input).

#include <sndfile.h>

#include <cstdint>
#include <string>

namespace miral::cli {

/// An open input file. Samples arrive as floats, full scale ±1, channels interleaved.
class AudioInput {
public:
    /// Throws std::runtime_error "cannot read PATH: reason" for a missing, unreadable or
    /// unsupported file.
    explicit AudioInput(const std::string& path);
    ~AudioInput();
    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    const SF_INFO& info() const { return info_; }
    /// Reads up to `frames` frames; returns how many were read, 0 at the end. Throws on a read
    /// error.
    int64_t read(float* interleaved, int64_t frames);

private:
    std::string path_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
};

/// An output file being written. Integer formats saturate at full scale instead of wrapping.
class AudioOutput {
public:
    /// Creates a hidden temporary file beside `path` with the libsndfile `format`. Throws
    /// std::runtime_error when it cannot be created or libsndfile refuses the format.
    AudioOutput(const std::string& path, int format, int32_t channels, int32_t sampleRateHz);
    /// Removes the temporary file unless commit() succeeded.
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    void write(const float* interleaved, int64_t frames);
    /// Finishes the file and renames it onto the destination. Throws on failure, leaving the
    /// destination as it was.
    void commit();

private:
    void discard();

    std::string path_;
    std::string temporaryPath_;
    SNDFILE* file_ = nullptr;
    bool committed_ = false;
};

} // namespace miral::cli
