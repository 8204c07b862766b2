#include "reference_block.h"

#include <algorithm>

namespace miral::reference {
namespace {

constexpr int32_t kHostBlock = 480; // not a power of two: blocks end mid-way through the signal

/// A 32-bit linear congruential generator mapped to [-0.25, 0.25) with exact float steps.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int32_t>(state_ >> 8) - (1 << 23)) / (1 << 25);
    }

private:
    uint32_t state_;
};

struct Setting {
    int32_t index;
    float value;
};

// Program 4 as the base, then every band switched on with non-neutral gains, frequencies
// and Q values, so that all six bands and the output gain take part.
constexpr Setting kSettings[] = {
    {0, 0.80f},  {1, 0.30f}, {2, 0.50f},  {3, 1.0f},   {4, 0.15f},  {5, 0.20f},  {6, 0.70f},
    {7, 1.0f},   {8, 0.90f}, {9, 0.45f},  {10, 0.25f}, {11, 1.0f},  {12, 0.35f}, {13, 0.60f},
    {14, 0.90f}, {15, 1.0f}, {16, 0.75f}, {17, 0.80f}, {18, 0.10f}, {19, 1.0f},  {20, 0.65f},
    {21, 0.55f}, {23, 1.0f}, {24, 0.85f}, {25, 0.40f},
};

} // namespace

Channels referenceInput() {
    Channels input{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    Noise leftNoise(12345u);
    Noise rightNoise(987654321u);
    for (int32_t i = 0; i < kFrames; ++i) {
        const float square = (i / 200) % 2 == 0 ? 0.5f : -0.5f;
        const float click = i % 1000 < 8 ? 0.6f / static_cast<float>(1 + i % 1000) : 0.0f;
        input.left[size_t(i)] = leftNoise.next() + square;
        input.right[size_t(i)] = rightNoise.next() + click;
    }
    return input;
}

Channels renderReferenceBlock(AEffect& effect) {
    const auto dispatch = [&effect](int32_t opcode, int32_t index, intptr_t value, float opt) {
        return effect.dispatcher(&effect, opcode, index, value, nullptr, opt);
    };
    dispatch(effOpen, 0, 0, 0.0f);
    dispatch(effSetSampleRate, 0, 0, 48000.0f);
    dispatch(effSetBlockSize, 0, kHostBlock, 0.0f);
    dispatch(effSetProgram, 0, 4, 0.0f);
    for (const Setting& setting : kSettings)
        effect.setParameter(&effect, setting.index, setting.value);
    dispatch(effMainsChanged, 0, 1, 0.0f);

    Channels input = referenceInput();
    Channels output{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    for (int32_t start = 0; start < kFrames; start += kHostBlock) {
        const int32_t frames = std::min(kHostBlock, kFrames - start);
        float* inputs[2] = {&input.left[size_t(start)], &input.right[size_t(start)]};
        float* outputs[2] = {&output.left[size_t(start)], &output.right[size_t(start)]};
        effect.processReplacing(&effect, inputs, outputs, frames);
    }
    dispatch(effMainsChanged, 0, 0, 0.0f);
    return output;
}

} // namespace miral::reference
