#pragma once

// Parameter changes made in the editor, on their way to the host as output events: the main
// thread adds them, whichever thread runs process or flush takes them. A fixed ring, one writer
// and one reader, no allocation and no lock. Every gesture the ring takes arrives whole: a
// gesture's end always has its place, so a begin is taken only with room for its end, and an
// end whose begin was not taken is not passed on either. A value that finds no room is dropped
// (the sound has it already, only the host's recording misses it).

#include "param_facts.h"

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
    static constexpr uint32_t kCapacity = 256;

    /// Main thread: false when the change is not passed on (see above).
    bool push(const EditorChange& change) noexcept;
    /// Processing thread: the oldest change, if any.
    std::optional<EditorChange> pop() noexcept;

private:
    /// Places neither taken nor kept for the ends of the gestures under way.
    uint32_t freePlaces() const noexcept;
    void write(const EditorChange& change) noexcept;

    std::array<EditorChange, kCapacity> ring_{};
    std::atomic<uint32_t> written_{0};
    std::atomic<uint32_t> read_{0};
    /// Main thread only: the gestures begun and not yet ended, by parameter.
    std::array<bool, kParamCount> underway_{};
    uint32_t underwayCount_ = 0;
};

} // namespace miral::clap
