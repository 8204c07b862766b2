// Cost of block processing in ns per frame (active bands, block length, stereo or mono, best or a
// chosen kernel, a band soloed) and the cost of parameter changes.

#include "engine/cascade_kernels.h"
#include "engine/eq_engine.h"

#include "ns_per_frame.h"

#include <benchmark/benchmark.h>

#include <array>
#include <optional>
#include <random>
#include <vector>

namespace {

using miral::CascadeKernel;
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

void processBlocks(benchmark::State& state, bool stereo, std::optional<CascadeKernel> kernel,
                   int32_t soloBand = -1) {
    const int activeBands = static_cast<int>(state.range(0));
    const int frames = static_cast<int>(state.range(1));
    EqEngine engine;
    if (kernel && !engine.useKernel(*kernel)) {
        state.SkipWithError("this processor lacks the kernel");
        return;
    }
    configure(engine, activeBands, frames);
    engine.setSolo(soloBand);

    std::mt19937 generator(42);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    const auto samples = static_cast<size_t>(frames);
    std::vector<float> left(samples), right(samples), outL(samples), outR(samples);
    for (size_t i = 0; i < samples; ++i) {
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
    miral::bench::reportNsPerFrame(state, frames);
}

// The fastest kernel this processor offers.
void BM_ProcessStereo(benchmark::State& state) {
    processBlocks(state, true, std::nullopt);
}
void BM_ProcessMono(benchmark::State& state) {
    processBlocks(state, false, std::nullopt);
}
// AVX-512 (skipped with a message on processors without it).
void BM_ProcessStereoAvx512(benchmark::State& state) {
    processBlocks(state, true, CascadeKernel::Avx512);
}
void BM_ProcessMonoAvx512(benchmark::State& state) {
    processBlocks(state, false, CascadeKernel::Avx512);
}
// AVX alone, as on processors without AVX-512.
void BM_ProcessStereoAvx(benchmark::State& state) {
    processBlocks(state, true, CascadeKernel::Avx);
}
void BM_ProcessMonoAvx(benchmark::State& state) {
    processBlocks(state, false, CascadeKernel::Avx);
}
// SSE2 alone, as on processors without AVX.
void BM_ProcessStereoSse2(benchmark::State& state) {
    processBlocks(state, true, CascadeKernel::Sse2);
}
void BM_ProcessMonoSse2(benchmark::State& state) {
    processBlocks(state, false, CascadeKernel::Sse2);
}
// One section and one channel at a time: the straightforward form.
void BM_ProcessStereoScalar(benchmark::State& state) {
    processBlocks(state, true, CascadeKernel::Scalar);
}
void BM_ProcessMonoScalar(benchmark::State& state) {
    processBlocks(state, false, CascadeKernel::Scalar);
}

// Band 3 soloed: the equaliser runs on beneath its listening filter.
void BM_ProcessStereoSoloed(benchmark::State& state) {
    processBlocks(state, true, std::nullopt, 2);
}

void blockShapes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"bands", "block"});
    for (int bands : {0, 1, 3, 6})
        for (int block : {64, 512, 4096})
            benchmark->Args({bands, block});
}

BENCHMARK(BM_ProcessStereo)->Apply(blockShapes);
BENCHMARK(BM_ProcessMono)->Apply(blockShapes);
BENCHMARK(BM_ProcessStereoSoloed)->Apply(blockShapes);
BENCHMARK(BM_ProcessStereoAvx512)->Apply(blockShapes);
BENCHMARK(BM_ProcessMonoAvx512)->Apply(blockShapes);
BENCHMARK(BM_ProcessStereoAvx)->Apply(blockShapes);
BENCHMARK(BM_ProcessMonoAvx)->Apply(blockShapes);
BENCHMARK(BM_ProcessStereoSse2)->Apply(blockShapes);
BENCHMARK(BM_ProcessMonoSse2)->Apply(blockShapes);
BENCHMARK(BM_ProcessStereoScalar)->Apply(blockShapes);
BENCHMARK(BM_ProcessMonoScalar)->Apply(blockShapes);

// Automation of one parameter at every block: band 1's gain (a shelf), band 2's gain or
// frequency (a peak); the other running bands static. The block is 512 frames. Without smoothing (0
// ms) each step applies at the next block; with it band 1 glides all the time, the step of each
// block taking longer than the block. Compare with BM_ProcessStereo of as many bands for the cost
// of the glide; its setParameter calls are counted in both.
void BM_AutomatedStereo(benchmark::State& state) {
    const int activeBands = static_cast<int>(state.range(0));
    const auto automated = static_cast<int32_t>(state.range(1));
    const int frames = 512;
    EqEngine engine;
    configure(engine, activeBands, frames);
    engine.setSmoothingTime(static_cast<double>(state.range(2)) / 1000.0);

    std::mt19937 generator(42);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    const auto samples = static_cast<size_t>(frames);
    std::vector<float> left(samples), right(samples), outL(samples), outR(samples);
    for (size_t i = 0; i < samples; ++i) {
        left[i] = noise(generator);
        right[i] = noise(generator);
    }
    const float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    const float values[2] = {0.72f, 0.68f};
    int which = 0;
    for (auto _ : state) {
        engine.setParameter(automated, values[which]);
        which ^= 1;
        engine.processReplacing(inputs, outputs, frames);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
        benchmark::ClobberMemory();
    }
    miral::bench::reportNsPerFrame(state, frames);
}
BENCHMARK(BM_AutomatedStereo)
    ->ArgNames({"bands", "param", "glide_ms"})
    ->ArgsProduct({{2, 6},
                   {toIndex(ParamId::Gain1), toIndex(ParamId::Gain2), toIndex(ParamId::Freq2)},
                   {0, 20}});

// One automation step of a band gain with all six bands running: the band redesigns.
void BM_SetParameterBandGain(benchmark::State& state) {
    EqEngine engine;
    configure(engine, 6, 512);
    const float values[2] = {0.62f, 0.63f};
    int which = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.setParameter(toIndex(ParamId::Gain3), values[which]));
        which ^= 1;
    }
}
BENCHMARK(BM_SetParameterBandGain);

// A gain range step: every band redesigns.
void BM_SetParameterGainRange(benchmark::State& state) {
    EqEngine engine;
    configure(engine, 6, 512);
    const float values[2] = {0.8f, 0.9f};
    int which = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.setParameter(toIndex(ParamId::GainRange), values[which]));
        which ^= 1;
    }
}
BENCHMARK(BM_SetParameterGainRange);

// A program change: 26 calls in the order a program loads (gains, frequencies, Qs, switches,
// gain range, output gain), alternating between two programs that differ in every value.
void BM_ProgramChange(benchmark::State& state) {
    EqEngine engine;
    configure(engine, 6, 512);
    std::array<std::array<float, miral::kNumParams>, 2> programs{};
    for (size_t i = 0; i < programs[0].size(); ++i) {
        programs[0][i] = 0.2f + 0.02f * static_cast<float>(i);
        programs[1][i] = 0.75f - 0.015f * static_cast<float>(i);
    }
    std::array<int, miral::kNumParams> order{};
    size_t n = 0;
    for (int kind = 0; kind < miral::kParamsPerBand; ++kind)
        for (int band = 0; band < miral::kNumBands; ++band)
            order[n++] = miral::kParamsPerBand * band + kind;
    order[n++] = toIndex(ParamId::GainRange);
    order[n++] = toIndex(ParamId::OutputGain);
    size_t which = 0;
    for (auto _ : state) {
        for (int index : order)
            benchmark::DoNotOptimize(
                engine.setParameter(index, programs[which][static_cast<size_t>(index)]));
        which ^= 1;
    }
}
BENCHMARK(BM_ProgramChange);

} // namespace
