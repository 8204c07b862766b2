#pragma once

// A host's text buffer of a given size with guard bytes on both sides, to see whether an effect
// writes outside it or leaves it unterminated.

#include <cstddef>
#include <string>
#include <vector>

namespace miral::harness {

class GuardedText {
public:
    /// `size` bytes, zeroed, between two guard areas.
    explicit GuardedText(size_t size);

    char* data() { return bytes_.data() + kGuard; }
    /// Both guard areas as they were made.
    bool guardsIntact() const;
    /// A terminator within the buffer.
    bool terminated() const;
    /// The text up to the terminator (or the whole buffer).
    std::string text() const;

private:
    static constexpr size_t kGuard = 64;
    size_t size_;
    std::vector<char> bytes_;
};

} // namespace miral::harness
