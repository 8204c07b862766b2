#pragma once

// Lock-free hand-over of whole values from one writer thread to one reader thread (a triple
// buffer). The writer fills back() and publishes it; the reader's acquire() returns the newest
// published value and keeps it unchanged until its next acquire(), so a reader never sees a
// value half written. Neither side blocks or allocates.

#include <array>
#include <atomic>
#include <cstdint>

namespace miral {

template <typename T> class SnapshotExchange {
public:
    /// Writer: the slot to fill before publish().
    T& back() { return slots_[back_]; }

    /// Writer: hands the filled back slot to the reader and takes a free one.
    void publish() {
        back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndexMask;
    }

    /// Reader: the newest published value (or the previous one when nothing new came).
    const T& acquire() {
        if (middle_.load(std::memory_order_relaxed) & kFresh)
            front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndexMask;
        return slots_[front_];
    }

private:
    static constexpr uint8_t kFresh = 4;
    static constexpr uint8_t kIndexMask = 3;

    std::array<T, 3> slots_{};
    uint8_t back_ = 0;
    uint8_t front_ = 1;
    std::atomic<uint8_t> middle_{2};
};

} // namespace miral
