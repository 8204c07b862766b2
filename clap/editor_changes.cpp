#include "editor_changes.h"

namespace miral::clap {

uint32_t EditorChanges::freePlaces() const noexcept {
    const uint32_t used =
        written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
    return kCapacity - used - underwayCount_;
}

void EditorChanges::write(const EditorChange& change) noexcept {
    const uint32_t written = written_.load(std::memory_order_relaxed);
    ring_[written % kCapacity] = change;
    written_.store(written + 1, std::memory_order_release);
}

bool EditorChanges::push(const EditorChange& change) noexcept {
    if (!isParamId(change.id))
        return false;
    bool& underway = underway_[change.id];
    switch (change.kind) {
    case EditorChange::Kind::GestureBegin:
        // Already under way: its end is still to come, and that closes this one too.
        if (underway)
            return true;
        if (freePlaces() < 2)
            return false;
        write(change);
        underway = true;
        ++underwayCount_;
        return true;
    case EditorChange::Kind::GestureEnd:
        if (!underway)
            return false;
        underway = false;
        --underwayCount_; // its kept place is the one it takes
        write(change);
        return true;
    case EditorChange::Kind::Value:
        if (freePlaces() < 1)
            return false;
        write(change);
        return true;
    }
    return false;
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
