#pragma once

// Writes the blocks of an AudioOutput on a thread of its own, one block behind its caller, so
// that the file system's share of the work (copying into the page cache, converting to integer
// samples) overlaps the processing of the next block.

#include "audio_files/audio_file.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

namespace miral::cli {

class BackgroundWriter {
public:
    /// Starts the thread, which takes no caught signal: they keep going to the caller's
    /// threads, whose blocking calls they are meant to interrupt.
    explicit BackgroundWriter(AudioOutput& output);
    /// Waits for the block being written; an error it met is dropped (the output is being
    /// abandoned then).
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    /// Waits until the previous block is written, throwing the error its write met, then starts
    /// writing `frames` frames of `interleaved`, which must stay untouched until the next call.
    void write(float* interleaved, int64_t frames);

    /// Waits until the last block is written; throws the error its write met.
    void finish();

private:
    void run();
    /// Waits until no block is being written; the lock is held.
    void waitUntilIdle(std::unique_lock<std::mutex>& lock);

    AudioOutput& output_;
    std::mutex mutex_;
    std::condition_variable changed_;
    float* block_ = nullptr; ///< the block to write; null when idle
    int64_t frames_ = 0;
    std::exception_ptr error_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace miral::cli
