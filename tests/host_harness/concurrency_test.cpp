// Parameters and programs changed on a host's control thread while its audio thread processes,
// as hosts do. Built with the thread sanitizer by the test command.
#include "global_state.h"
#include "platform_seam.h"
#include "plugin_fixture.h"
#include "signals.h"

#include <atomic>
#include <random>
#include <thread>

namespace miral::harness {
namespace {

constexpr int32_t kBlock = 128;
constexpr int kBlocks = 4000;

using Concurrency = PluginTest;

TEST_F(Concurrency, ParametersFromAnotherThreadWhileProcessing) {
    auto effect = startedEffect(48000.0f, kBlock);
    ASSERT_NE(effect, nullptr);
    AEffect& record = effect->record();
    std::atomic<bool> processing{true};
    const std::optional<int> threadsBefore = threadCount();
    std::thread control([&] {
        std::mt19937 generator(61);
        std::uniform_int_distribution<int32_t> parameter(0, kParameterCount - 1);
        std::uniform_real_distribution<float> value(-0.5f, 1.5f);
        for (int change = 0; processing; ++change) {
            record.setParameter(&record, parameter(generator), value(generator));
            record.getParameter(&record, parameter(generator));
            if (change % 64 == 0)
                record.dispatcher(&record, effSetProgram, 0, change % kProgramCount, nullptr, 0.0f);
            std::this_thread::yield();
        }
    });
    Stereo input = noise(kBlock, 0.5f, 67);
    Stereo output(kBlock);
    size_t nonFinite = 0;
    for (int block = 0; block < kBlocks; ++block) {
        auto inputs = input.at();
        auto outputs = output.at();
        record.processReplacing(&record, inputs.data(), outputs.data(), kBlock);
        nonFinite += countSamples(output).nonFinite;
    }
    processing = false;
    joinAndSettle(control, threadsBefore);
    EXPECT_EQ(nonFinite, 0u);
}

} // namespace
} // namespace miral::harness
