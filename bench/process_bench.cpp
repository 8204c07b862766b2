// Cost of block processing in ns per frame: active bands, block length, stereo or mono.

#include "engine/eq_engine.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using miral::EqEngine;
using miral::ParamId;
using miral::toIndex;

// Switches the first `activeBands` bands to distinct non-zero gains; the rest stay flat.
void configure(EqEngine& engine, int activeBands, int blockFrames) {
    engine.setSampleRate(44100.0f);
    engine.setBlockSize(blockFrames);
    const float gains[] = {0.7f, 0.3f, 0.65f, 0.35f, 0.8f, 0.25f};
    for (int band = 0; band < activeBands; ++band)
        engine.setParameter(4 * band, gains[band]);
    engine.setParameter(toIndex(ParamId::OutputGain), 0.45f);
    engine.resume();
}

void processBlocks(benchmark::State& state, bool stereo) {
    const int activeBands = static_cast<int>(state.range(0));
    const int frames = static_cast<int>(state.range(1));
    EqEngine engine;
    configure(engine, activeBands, frames);

    std::mt19937 generator(42);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    std::vector<float> left(frames), right(frames), outL(frames), outR(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = noise(generator);
        right[i] = noise(generator);
    }
    const float* inputs[2] = {left.data(), stereo ? right.data() : left.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        engine.processReplacing(inputs, outputs, frames);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessStereo(benchmark::State& state) {
    processBlocks(state, true);
}
void BM_ProcessMono(benchmark::State& state) {
    processBlocks(state, false);
}

void blockShapes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"bands", "block"});
    for (int bands : {0, 1, 3, 6})
        for (int block : {64, 512, 4096})
            benchmark->Args({bands, block});
}

BENCHMARK(BM_ProcessStereo)->Apply(blockShapes);
BENCHMARK(BM_ProcessMono)->Apply(blockShapes);

} // namespace
