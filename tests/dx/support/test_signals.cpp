#include "test_signals.h"

namespace miral::dx::test {

std::vector<int16_t> noise16(size_t count) {
    std::vector<int16_t> samples(count);
    uint32_t state = 12345u;
    for (int16_t& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = int16_t(state >> 16);
    }
    return samples;
}

std::vector<float> noiseFloat(size_t count) {
    std::vector<float> samples(count);
    uint32_t state = 987654321u;
    for (float& sample : samples) {
        state = state * 1664525u + 1013904223u;
        sample = float(int32_t(state >> 8) - (1 << 23)) / float(1 << 24);
    }
    return samples;
}

} // namespace miral::dx::test
