#include "editor_changes.h"

namespace miral::clap {

bool EditorChanges::push(const EditorChange& change) noexcept {
    const uint32_t written = written_.load(std::memory_order_relaxed);
    if (written - read_.load(std::memory_order_acquire) >= kCapacity)
        return false;
    ring_[written % kCapacity] = change;
    written_.store(written + 1, std::memory_order_release);
    return true;
}

std::optional<EditorChange> EditorChanges::pop() noexcept {
    const uint32_t read = read_.load(std::memory_order_relaxed);
    if (read == written_.load(std::memory_order_acquire))
        return std::nullopt;
    const EditorChange change = ring_[read % kCapacity];
    read_.store(read + 1, std::memory_order_release);
    return change;
}

} // namespace miral::clap
