// The DirectShow filter's own cost per block next to the equaliser's: splitting interleaved
// 16-bit or float stereo into the effect's two channels, and interleaving (and converting) the
// result back, for 1024-frame blocks, in ns per frame. The filter's conversion code is the one
// TK_MIRAL_DX runs; it uses no Windows types, so it builds here.

#include "dx/filter/sample_conversion.h"
#include "engine/eq_engine.h"

#include "ns_per_frame.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using miral::EqEngine;
using miral::dx::deinterleaveFloat;
using miral::dx::deinterleavePcm16;
using miral::dx::interleaveFloat;
using miral::dx::interleavePcm16;

constexpr int kFrames = 1024;
constexpr size_t kSamples = 2 * kFrames;

enum class Stage { FilterOnly, EngineOnly, Both };

/// A block as the graph delivers it, all six bands working as a program sets them.
struct Block {
    Block(bool pcm16) : bytes(kSamples * (pcm16 ? sizeof(int16_t) : sizeof(float))) {
        std::mt19937 generator(42);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (size_t i = 0; i < kSamples; ++i) {
            const float value = noise(generator);
            if (pcm16) {
                const auto sample = static_cast<int16_t>(value * 32767.0f);
                std::memcpy(bytes.data() + i * sizeof(sample), &sample, sizeof(sample));
            } else {
                std::memcpy(bytes.data() + i * sizeof(value), &value, sizeof(value));
            }
        }
        engine.setSampleRate(44100.0f);
        engine.setBlockSize(kFrames);
        const float gains[] = {0.7f, 0.3f, 0.65f, 0.35f, 0.8f, 0.25f};
        for (int band = 0; band < 6; ++band)
            engine.setParameter(4 * band, gains[band]);
        engine.resume();
    }
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> out = std::vector<uint8_t>(bytes.size());
    std::vector<float> inL = std::vector<float>(kFrames), inR = inL, outL = inL, outR = inL;
    EqEngine engine;
};

void run(benchmark::State& state, bool pcm16, Stage stage) {
    Block block(pcm16);
    const auto split = pcm16 ? deinterleavePcm16 : deinterleaveFloat;
    const auto join = pcm16 ? interleavePcm16 : interleaveFloat;
    const float* inputs[2] = {block.inL.data(), block.inR.data()};
    float* outputs[2] = {block.outL.data(), block.outR.data()};
    // The conversions alone still convert what the equaliser puts out.
    split(block.bytes.data(), 2, kFrames, block.inL.data(), block.inR.data());
    block.engine.processReplacing(inputs, outputs, kFrames);
    for (auto _ : state) {
        if (stage != Stage::EngineOnly)
            split(block.bytes.data(), 2, kFrames, block.inL.data(), block.inR.data());
        if (stage != Stage::FilterOnly)
            block.engine.processReplacing(inputs, outputs, kFrames);
        if (stage != Stage::EngineOnly)
            join(block.outL.data(), block.outR.data(), kFrames, block.out.data());
        benchmark::DoNotOptimize(block.out.data());
        benchmark::DoNotOptimize(block.outL.data());
        benchmark::ClobberMemory();
    }
    miral::bench::reportNsPerFrame(state, kFrames);
}

void BM_FilterConversionPcm16Stereo(benchmark::State& state) {
    run(state, true, Stage::FilterOnly);
}
void BM_EnginePcm16Stereo(benchmark::State& state) {
    run(state, true, Stage::EngineOnly);
}
void BM_FilterAndEnginePcm16Stereo(benchmark::State& state) {
    run(state, true, Stage::Both);
}
void BM_FilterConversionFloatStereo(benchmark::State& state) {
    run(state, false, Stage::FilterOnly);
}
void BM_EngineFloatStereo(benchmark::State& state) {
    run(state, false, Stage::EngineOnly);
}
void BM_FilterAndEngineFloatStereo(benchmark::State& state) {
    run(state, false, Stage::Both);
}

BENCHMARK(BM_FilterConversionPcm16Stereo);
BENCHMARK(BM_EnginePcm16Stereo);
BENCHMARK(BM_FilterAndEnginePcm16Stereo);
BENCHMARK(BM_FilterConversionFloatStereo);
BENCHMARK(BM_EngineFloatStereo);
BENCHMARK(BM_FilterAndEngineFloatStereo);

} // namespace
