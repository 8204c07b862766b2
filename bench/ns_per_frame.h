#pragma once

// The figure every benchmark here prints: nanoseconds per frame, from the frames each iteration
// processed.

#include <benchmark/benchmark.h>

#include <cstdint>

namespace miral::bench {

inline void reportNsPerFrame(benchmark::State& state, int64_t framesPerIteration) {
    state.counters["ns_per_frame"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(framesPerIteration),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace miral::bench
