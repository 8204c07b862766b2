#pragma once

// Reads typed values off the front of a fuzzer's input; past its end every read gives zero.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace miral::fuzzing {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), left_(size) {}

    bool empty() const { return left_ == 0; }

    template <typename T> T take() {
        T value{};
        const size_t n = left_ < sizeof(T) ? left_ : sizeof(T);
        std::memcpy(&value, data_, n);
        data_ += n;
        left_ -= n;
        return value;
    }

private:
    const uint8_t* data_;
    size_t left_;
};

} // namespace miral::fuzzing
