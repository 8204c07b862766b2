#pragma once

// Parameter changes made in the editor, on their way to the host as output events: the main
// thread adds them, whichever thread runs process or flush takes them. A fixed ring, one writer
// and one reader, no allocation and no lock; a change that finds the ring full is dropped (the
// sound has it already, only the host's recording misses it).

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

namespace miral::clap {

struct EditorChange {
    enum class Kind : uint8_t { GestureBegin, Value, GestureEnd };
    Kind kind;
    uint32_t id;
    double value; ///< physical value, for Kind::Value
};

class EditorChanges {
public:
    /// Main thread: false when the ring is full.
    bool push(const EditorChange& change) noexcept;
    /// Processing thread: the oldest change, if any.
    std::optional<EditorChange> pop() noexcept;

private:
    static constexpr uint32_t kCapacity = 256;
    std::array<EditorChange, kCapacity> ring_{};
    std::atomic<uint32_t> written_{0};
    std::atomic<uint32_t> read_{0};
};

} // namespace miral::clap
