// Parameter changes on one or more threads while another processes: designs reach processing
// whole. Built with the thread sanitizer by the test command.

#include "engine/eq_engine.h"
#include "engine/snapshot_exchange.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace miral {
namespace {

struct Stamped {
    std::array<uint64_t, 32> words{}; // all equal when written whole
};

TEST(SnapshotExchange, ReaderSeesOnlyWholeValuesInPublicationOrder) {
    SnapshotExchange<Stamped> exchange;
    constexpr uint64_t kPublications = 200000;
    std::atomic<bool> writing{true};

    std::thread writer([&] {
        for (uint64_t n = 1; n <= kPublications; ++n) {
            exchange.back().words.fill(n);
            exchange.publish();
        }
        writing = false;
    });

    uint64_t last = 0;
    bool torn = false, backwards = false;
    while (writing || last < kPublications) {
        const Stamped& seen = exchange.acquire();
        const uint64_t first = seen.words[0];
        for (uint64_t word : seen.words)
            torn |= word != first;
        backwards |= first < last;
        last = first;
    }
    writer.join();
    EXPECT_FALSE(torn);
    EXPECT_FALSE(backwards);
    EXPECT_EQ(last, kPublications);
}

TEST(EqEngineConcurrency, ParameterChangesDuringProcessingKeepTheOutputSound) {
    EqEngine engine;
    engine.setSampleRate(48000.0f);
    engine.setBlockSize(256);
    engine.resume();
    std::atomic<bool> changing{true};

    std::thread control([&] {
        std::mt19937 generator(7);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        std::uniform_int_distribution<int32_t> index(0, kNumParams - 1);
        for (int i = 0; i < 20000; ++i)
            engine.setParameter(index(generator), value(generator));
        changing = false;
    });

    std::vector<float> input(256), outL(256), outR(256);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    const float* inputs[2] = {input.data(), input.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    bool finite = true;
    int blocks = 0;
    while (changing || blocks < 10) {
        inputs[1] = (blocks % 2) ? input.data() : outR.data(); // alternate mono and stereo
        engine.processReplacing(inputs, outputs, 256);
        for (size_t i = 0; i < outL.size(); ++i)
            finite &= std::isfinite(outL[i]) && std::isfinite(outR[i]);
        ++blocks;
    }
    control.join();
    EXPECT_TRUE(finite);
}

TEST(EqEngineConcurrency, GlidesTowardsDesignsPublishedDuringProcessingStaySound) {
    // Automation on one thread and the glide time switched on and off on another while the
    // audio thread glides towards whatever design arrives.
    EqEngine engine;
    engine.setSampleRate(44100.0f);
    engine.setSmoothingTime(kDefaultSmoothingSeconds);
    engine.resume();
    std::atomic<int> running{2};
    std::thread automation([&] {
        std::mt19937 generator(21);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        std::uniform_int_distribution<int32_t> index(0, kNumParams - 1);
        for (int i = 0; i < 20000; ++i)
            engine.setParameter(index(generator), value(generator));
        --running;
    });
    std::thread glideTime([&] {
        for (int i = 0; i < 2000; ++i)
            engine.setSmoothingTime(i % 3 ? kDefaultSmoothingSeconds : 0.0);
        --running;
    });

    std::vector<float> input(200), outL(200), outR(200);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = 0.5f * std::sin(0.03f * static_cast<float>(i));
    const float* inputs[2] = {input.data(), input.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    bool finite = true;
    int blocks = 0;
    while (running > 0 || blocks < 10) {
        inputs[1] = (blocks % 2) ? input.data() : outR.data(); // alternate mono and stereo
        engine.processReplacing(inputs, outputs, 200);
        for (size_t i = 0; i < outL.size(); ++i)
            finite &= std::isfinite(outL[i]) && std::isfinite(outR[i]);
        ++blocks;
    }
    automation.join();
    glideTime.join();
    EXPECT_TRUE(finite);
}

TEST(EqEngineConcurrency, SeveralThreadsChangingAtOnceNeverHandProcessingAChangingDesign) {
    // A host's automation, an editor and a sample-rate change on three threads, as a filter
    // graph or a host may do: each publishes whole designs, and processing reads them whole.
    EqEngine engine;
    engine.setSampleRate(48000.0f);
    engine.resume();
    std::atomic<int> running{3};
    const auto changer = [&](uint32_t seed) {
        std::mt19937 generator(seed);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        std::uniform_int_distribution<int32_t> index(0, kNumParams - 1);
        for (int i = 0; i < 10000; ++i)
            engine.setParameter(index(generator), value(generator));
        --running;
    };
    std::thread automation(changer, 11u), editor(changer, 12u);
    std::thread rates([&] {
        for (int i = 0; i < 2000; ++i)
            engine.setSampleRate(i % 2 ? 96000.0f : 44100.0f);
        engine.setSampleRate(48000.0f);
        --running;
    });

    std::vector<float> input(128), outL(128), outR(128);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = 0.5f * std::sin(0.07f * static_cast<float>(i));
    const float* inputs[2] = {input.data(), input.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    bool finite = true;
    int blocks = 0;
    while (running > 0 || blocks < 10) {
        engine.processReplacing(inputs, outputs, 128);
        for (size_t i = 0; i < outL.size(); ++i)
            finite &= std::isfinite(outL[i]) && std::isfinite(outR[i]);
        ++blocks;
    }
    automation.join();
    editor.join();
    rates.join();
    EXPECT_TRUE(finite);

    // The last design follows the last values, whoever stored them.
    EqEngine fresh;
    fresh.setSampleRate(48000.0f);
    for (int32_t i = 0; i < kNumParams; ++i)
        fresh.setParameter(i, engine.getParameter(i));
    for (int32_t band = 0; band < kNumBands; ++band) {
        EXPECT_EQ(engine.band(band).gainDb, fresh.band(band).gainDb) << band;
        EXPECT_EQ(engine.band(band).frequencyHz, fresh.band(band).frequencyHz) << band;
    }
    EXPECT_EQ(engine.outputGain(), fresh.outputGain());
}

} // namespace
} // namespace miral
