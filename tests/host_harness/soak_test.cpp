// A few seconds of processing with random automation: memory stays put and blocks do not get
// slower. Timings are compared only with each other, loosely, never with absolute limits.
#include "platform_seam.h"
#include "plugin_fixture.h"
#include "signals.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace miral::harness {
namespace {

constexpr int32_t kBlock = 256;
constexpr int32_t kTimedGroup = 16;
constexpr auto kSoakTime = std::chrono::seconds(4);
// Growth allowed for the allocator's and sanitizers' own bookkeeping.
constexpr size_t kResidentSlack = 8u << 20;
// The last quarter's typical block may be this many times slower than the first quarter's:
// enough for a machine that gets busy meanwhile, far below what a growing cost would give.
constexpr double kSlowdownLimit = 4.0;

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

double quarterMedian(const std::vector<double>& times, size_t quarter) {
    const size_t length = times.size() / 4;
    const auto begin = times.begin() + std::ptrdiff_t(quarter * length);
    return median(std::vector<double>(begin, begin + std::ptrdiff_t(length)));
}

using Soak = PluginTest;

TEST_F(Soak, RandomAutomationKeepsMemoryAndTimePerBlockSteady) {
    auto effect = startedEffect(48000.0f, kBlock);
    ASSERT_NE(effect, nullptr);
    std::mt19937 generator(53);
    std::uniform_int_distribution<int32_t> parameter(0, kParameterCount - 1);
    std::uniform_int_distribution<int32_t> program(0, kProgramCount - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    Stereo input = noise(size_t(kBlock) * 64, 0.5f, 59);
    Stereo output(size_t(kBlock) * kTimedGroup);

    for (int block = 0; block < 200; ++block)
        effect->process(input.at(0).data(), output.at().data(), kBlock);
    // Called without the witness, whose checks would dominate the time (other checks cover
    // every kind of call with it).
    AEffect& record = effect->record();
    const size_t residentAtStart = residentBytes();
    std::vector<double> microseconds;
    size_t nonFinite = 0;
    const auto end = std::chrono::steady_clock::now() + kSoakTime;
    size_t blocks = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (blocks % 512 == 0)
            record.dispatcher(&record, effSetProgram, 0, program(generator), nullptr, 0.0f);
        // Timed in groups, automation included: one block can take less than the clock's
        // resolution.
        const auto started = std::chrono::steady_clock::now();
        for (int32_t block = 0; block < kTimedGroup; ++block, ++blocks) {
            record.setParameter(&record, parameter(generator), value(generator));
            auto inputs = input.at((blocks % 64) * kBlock);
            auto outputs = output.at(size_t(block) * kBlock);
            record.processReplacing(&record, inputs.data(), outputs.data(), kBlock);
        }
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - started;
        microseconds.push_back(took.count() / kTimedGroup);
        nonFinite += countSamples(output).nonFinite;
    }
    const size_t residentAtEnd = residentBytes();
    ASSERT_GE(microseconds.size(), 40u) << "too few blocks to compare";
    const double first = quarterMedian(microseconds, 0);
    const double last = quarterMedian(microseconds, 3);
    std::printf("soak: %zu blocks of %d frames, resident %zu KiB at start, %zu KiB at end, "
                "median block %.2f us in the first quarter, %.2f us in the last\n",
                blocks, kBlock, residentAtStart >> 10, residentAtEnd >> 10, first, last);
    EXPECT_EQ(nonFinite, 0u);
    EXPECT_LT(residentAtEnd, residentAtStart + kResidentSlack);
    EXPECT_LT(last, first * kSlowdownLimit);
}

} // namespace
} // namespace miral::harness
