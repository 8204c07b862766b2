#include "audio_files/background_writer.h"

#include <signal.h>

#include <utility>

namespace miral::cli {

BackgroundWriter::BackgroundWriter(AudioOutput& output) : output_(output) {
    // The new thread inherits the signal mask in force when it starts.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    try {
        thread_ = std::thread([this] { run(); });
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock lock(mutex_);
        waitUntilIdle(lock);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::waitUntilIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return block_ == nullptr; });
}

void BackgroundWriter::write(float* interleaved, int64_t frames) {
    {
        std::unique_lock lock(mutex_);
        waitUntilIdle(lock);
        if (error_)
            std::rethrow_exception(std::exchange(error_, nullptr));
        block_ = interleaved;
        frames_ = frames;
    }
    changed_.notify_all();
}

void BackgroundWriter::finish() {
    std::unique_lock lock(mutex_);
    waitUntilIdle(lock);
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return block_ != nullptr || stopping_; });
        if (block_ == nullptr)
            return;
        float* const block = block_;
        const int64_t frames = frames_;
        lock.unlock();
        std::exception_ptr error;
        try {
            output_.write(block, frames);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (!error_)
            error_ = error;
        block_ = nullptr;
        changed_.notify_all();
    }
}

} // namespace miral::cli
