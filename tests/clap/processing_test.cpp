// Processing through the plug-in against the engine itself, gliding as the plug-in does:
// parameter events take effect at their exact frame, so the output equals the engine's with its
// blocks split at those frames.
#include "clap_test_host.h"

#include "engine/eq_engine.h"
#include "engine/physical_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace miral::clap_test {
namespace {

constexpr clap_id kGain1 = 0;
constexpr clap_id kFreq2 = 5;
constexpr clap_id kQ3 = 10;
constexpr clap_id kOnOff4 = 15;
constexpr clap_id kOutputGain = 25;

/// Reproducible noise in -0.5..0.5, different per channel and block.
AudioBlock noise(uint32_t channels, uint32_t frames, uint32_t seed) {
    AudioBlock block(channels, frames);
    uint32_t state = 2463534242u ^ seed;
    for (auto& channel : block.channels)
        for (float& sample : channel) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            sample = static_cast<float>(state) / 4294967296.0f - 0.5f;
        }
    return block;
}

/// The engine as the reference: changes in physical units at given frames, gliding over
/// `smoothingSeconds`.
class Reference {
public:
    Reference(double sampleRate, uint32_t maxFrames,
              double smoothingSeconds = kDefaultSmoothingSeconds) {
        engine_.setSmoothingTime(smoothingSeconds);
        engine_.setSampleRate(static_cast<float>(sampleRate));
        engine_.setBlockSize(static_cast<int32_t>(maxFrames));
    }
    void set(clap_id id, double plain) {
        const auto index = static_cast<int32_t>(id);
        engine_.setParameter(index, engineValueOf(index, static_cast<float>(plain)));
    }
    /// Frames begin..end of `input` into `output`; a one-channel block runs as mono.
    void run(const AudioBlock& input, AudioBlock& output, uint32_t begin, uint32_t end) {
        const size_t right = input.channels.size() > 1 ? 1 : 0;
        const float* in[2] = {input.channels[0].data() + begin,
                              input.channels[right].data() + begin};
        const size_t outRight = output.channels.size() > 1 ? 1 : 0;
        float* out[2] = {output.channels[0].data() + begin,
                         output.channels[outRight].data() + begin};
        engine_.processReplacing(in, out, static_cast<int32_t>(end - begin));
    }

private:
    EqEngine engine_;
};

void expectSameBits(const AudioBlock& actual, const AudioBlock& expected, const char* what) {
    for (size_t c = 0; c < expected.channels.size(); ++c)
        for (size_t i = 0; i < expected.channels[c].size(); ++i)
            if (actual.channels[c][i] != expected.channels[c][i]) {
                ADD_FAILURE() << what << ": channel " << c << " frame " << i << ": "
                              << actual.channels[c][i] << " != " << expected.channels[c][i];
                return;
            }
}

TEST(ClapProcessing, AGainStepAtFrame100GlidesFromThereAsTheEngineDoes) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 512));
    Reference reference(48000.0, 512);
    const AudioBlock input = noise(2, 512, 1);
    AudioBlock output(2, 512);
    AudioBlock expected(2, 512);
    EventList events;
    events.addValue(100, kGain1, 12.0);
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    reference.run(input, expected, 0, 100);
    reference.set(kGain1, 12.0);
    reference.run(input, expected, 100, 512);
    expectSameBits(output, expected, "gain step");
    EXPECT_EQ(instance.value(kGain1), 12.0);

    // It glides from frame 100 on: a step there gives other samples after it, none before.
    Reference stepping(48000.0, 512, 0.0);
    AudioBlock stepped(2, 512);
    stepping.run(input, stepped, 0, 100);
    stepping.set(kGain1, 12.0);
    stepping.run(input, stepped, 100, 512);
    EXPECT_TRUE(std::equal(output.channels[0].begin(), output.channels[0].begin() + 100,
                           stepped.channels[0].begin()));
    EXPECT_NE(output.channels[0][101], stepped.channels[0][101]);
}

TEST(ClapProcessing, EventsAtAnyOffsetAtEveryRateAndBlockLengthLandOnTheirFrame) {
    for (const double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
        for (const uint32_t frames : {1u, 7u, 512u, 8192u}) {
            Instance instance;
            ASSERT_TRUE(instance.valid());
            ASSERT_TRUE(instance.start(rate, frames));
            Reference reference(rate, frames);
            const uint32_t offsets[] = {0, frames / 3, frames - 1};
            const clap_id ids[] = {kFreq2, kQ3, kGain1};
            const double values[] = {2500.0, 4.0, -9.5};
            for (uint32_t block = 0; block < 3; ++block) {
                const AudioBlock input = noise(2, frames, block);
                AudioBlock output(2, frames);
                AudioBlock expected(2, frames);
                EventList events;
                uint32_t position = 0;
                for (size_t e = 0; e < 3; ++e) {
                    const double value = values[e] * (block % 2 == 0 ? 1.0 : 0.5);
                    events.addValue(offsets[e], ids[e], value);
                    reference.run(input, expected, position, offsets[e]);
                    position = offsets[e];
                    reference.set(ids[e], value);
                }
                reference.run(input, expected, position, frames);
                ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
                expectSameBits(output, expected, "events in a block");
            }
        }
    }
}

TEST(ClapProcessing, AnEventAtEachFrameOfABlockTakesEffectThere) {
    constexpr uint32_t kFrames = 64;
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(44100.0, kFrames));
    Reference reference(44100.0, kFrames);
    for (uint32_t at = 0; at < kFrames; ++at) {
        const AudioBlock input = noise(2, kFrames, at);
        AudioBlock output(2, kFrames);
        AudioBlock expected(2, kFrames);
        const double gain = at % 2 == 0 ? 6.0 : -6.0;
        EventList events;
        events.addValue(at, kOutputGain, gain);
        ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
        reference.run(input, expected, 0, at);
        reference.set(kOutputGain, gain);
        reference.run(input, expected, at, kFrames);
        expectSameBits(output, expected, "event frame");
    }
}

TEST(ClapProcessing, LateAndOutOfOrderEventsApplyWhereProcessingHasGot) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 512));
    Reference reference(48000.0, 512);
    const AudioBlock input = noise(2, 512, 7);
    AudioBlock output(2, 512);
    AudioBlock expected(2, 512);
    EventList events;
    events.addValue(300, kGain1, 8.0);
    events.addValue(100, kFreq2, 900.0); // before the previous one: applied at frame 300
    events.addValue(5000, kOnOff4, 0.0); // beyond the block: after its last frame
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    reference.run(input, expected, 0, 300);
    reference.set(kGain1, 8.0);
    reference.set(kFreq2, 900.0);
    reference.run(input, expected, 300, 512);
    reference.set(kOnOff4, 0.0);
    expectSameBits(output, expected, "late events");
    EXPECT_EQ(instance.value(kOnOff4), 0.0);

    const AudioBlock next = noise(2, 512, 8);
    AudioBlock nextOutput(2, 512);
    AudioBlock nextExpected(2, 512);
    ASSERT_EQ(instance.process(next, nextOutput, EventList()), CLAP_PROCESS_CONTINUE);
    reference.run(next, nextExpected, 0, 512);
    expectSameBits(nextOutput, nextExpected, "the block after");
}

TEST(ClapProcessing, NonFiniteValuesAreIgnoredAndOutOfRangeOnesLimited) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 256));
    Reference reference(48000.0, 256);
    const AudioBlock input = noise(2, 256, 3);
    AudioBlock output(2, 256);
    AudioBlock expected(2, 256);
    EventList events;
    events.addValue(10, kGain1, std::numeric_limits<double>::quiet_NaN());
    events.addValue(20, kQ3, std::numeric_limits<double>::infinity());
    events.addValue(30, kOutputGain, 100.0);
    events.addValue(40, kFreq2, -5.0);
    events.addValue(50, 26, 1.0);  // no such parameter
    events.addValue(60, 999, 1.0); // no such parameter
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    reference.run(input, expected, 0, 30);
    reference.set(kOutputGain, 6.0);
    reference.run(input, expected, 30, 40);
    reference.set(kFreq2, 40.0);
    reference.run(input, expected, 40, 256);
    expectSameBits(output, expected, "limited values");
    EXPECT_EQ(instance.value(kGain1), 0.0);
    EXPECT_EQ(instance.value(kOutputGain), 6.0);
    EXPECT_NEAR(instance.value(kFreq2), 40.0, 1e-9);
}

TEST(ClapProcessing, GainModulationAddsToTheValueWithoutChangingIt) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 256));
    Reference reference(48000.0, 256);
    const AudioBlock input = noise(2, 256, 4);
    AudioBlock output(2, 256);
    AudioBlock expected(2, 256);
    EventList events;
    events.addValue(0, kGain1, 4.0);
    events.addModulation(50, kGain1, 3.0);
    events.addModulation(60, kFreq2, 1000.0); // not modulatable: ignored
    events.addModulation(100, kGain1, 20.0);  // limited to the range
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    reference.set(kGain1, 4.0);
    reference.run(input, expected, 0, 50);
    reference.set(kGain1, 7.0);
    reference.run(input, expected, 50, 100);
    reference.set(kGain1, 16.0);
    reference.run(input, expected, 100, 256);
    expectSameBits(output, expected, "modulation");
    EXPECT_EQ(instance.value(kGain1), 4.0);
}

TEST(ClapProcessing, MonoBuffersRunAsTheEngineRunsMono) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 512));
    Reference reference(48000.0, 512);
    const AudioBlock input = noise(1, 512, 5);
    AudioBlock output(1, 512);
    AudioBlock expected(1, 512);
    EventList events;
    events.addValue(200, kGain1, -12.0);
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    reference.run(input, expected, 0, 200);
    reference.set(kGain1, -12.0);
    reference.run(input, expected, 200, 512);
    expectSameBits(output, expected, "mono");
}

TEST(ClapProcessing, InPlaceBuffersGiveTheSameOutput) {
    Instance separate;
    Instance inPlace;
    ASSERT_TRUE(separate.valid() && inPlace.valid());
    ASSERT_TRUE(separate.start(96000.0, 300));
    ASSERT_TRUE(inPlace.start(96000.0, 300));
    const AudioBlock input = noise(2, 300, 6);
    AudioBlock output(2, 300);
    AudioBlock shared = input;
    EventList events;
    events.addValue(123, kQ3, 8.0);
    ASSERT_EQ(separate.process(input, output, events), CLAP_PROCESS_CONTINUE);
    ASSERT_EQ(inPlace.process(shared, shared, events), CLAP_PROCESS_CONTINUE);
    expectSameBits(shared, output, "in place");
}

TEST(ClapProcessing, ResetClearsTheFilterStates) {
    Instance used;
    Instance fresh;
    ASSERT_TRUE(used.valid() && fresh.valid());
    ASSERT_TRUE(used.start(48000.0, 128));
    ASSERT_TRUE(fresh.start(48000.0, 128));
    EventList boost;
    boost.addValue(0, kGain1, 16.0);
    AudioBlock scratch(2, 128);
    ASSERT_EQ(used.process(noise(2, 128, 9), scratch, boost), CLAP_PROCESS_CONTINUE);
    used.plugin()->reset(used.plugin());
    const AudioBlock input = noise(2, 128, 10);
    AudioBlock afterReset(2, 128);
    AudioBlock expected(2, 128);
    ASSERT_EQ(used.process(input, afterReset, EventList()), CLAP_PROCESS_CONTINUE);
    ASSERT_EQ(fresh.process(input, expected, boost), CLAP_PROCESS_CONTINUE);
    expectSameBits(afterReset, expected, "after reset");
}

TEST(ClapProcessing, BelowTheLowestRateTheAudioPassesUnchanged) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(22050.0, 256));
    const AudioBlock input = noise(2, 256, 11);
    AudioBlock output(2, 256);
    EventList events;
    events.addValue(0, kGain1, 16.0);
    ASSERT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    expectSameBits(output, input, "bypass");
    EXPECT_EQ(instance.value(kGain1), 16.0);
}

TEST(ClapProcessing, EachActivationDesignsForItsRateWithTheValuesKeptAndStatesCleared) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    const clap_plugin_t* plugin = instance.plugin();
    EventList settings;
    settings.addValue(0, kGain1, 6.0);
    settings.addValue(0, kFreq2, 700.0);
    instance.params().flush(plugin, settings.list(), nullptr);
    for (const double rate : {44100.0, 192000.0, 22050.0, 96000.0, 48000.0}) {
        ASSERT_TRUE(plugin->activate(plugin, rate, 1, 4096)) << rate;
        ASSERT_TRUE(plugin->start_processing(plugin));
        Reference reference(rate, 4096);
        reference.set(kGain1, 6.0);
        reference.set(kFreq2, 700.0);
        const AudioBlock input = noise(2, 4096, static_cast<uint32_t>(rate));
        AudioBlock output(2, 4096);
        AudioBlock expected(2, 4096);
        ASSERT_EQ(instance.process(input, output, EventList()), CLAP_PROCESS_CONTINUE);
        reference.run(input, expected, 0, 4096);
        expectSameBits(output, expected, "after activation");
        plugin->stop_processing(plugin);
        plugin->deactivate(plugin);
    }
}

TEST(ClapProcessing, BlocksWithoutThirtyTwoBitAudioAreRefused) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(48000.0, 64));
    clap_audio_buffer_t none{nullptr, nullptr, 2, 0, 0};
    clap_process_t block{};
    block.frames_count = 64;
    block.audio_inputs = &none;
    block.audio_outputs = &none;
    block.audio_inputs_count = 1;
    block.audio_outputs_count = 1;
    EXPECT_EQ(instance.plugin()->process(instance.plugin(), &block), CLAP_PROCESS_ERROR);
    block.audio_inputs_count = 0;
    EXPECT_EQ(instance.plugin()->process(instance.plugin(), &block), CLAP_PROCESS_ERROR);
}

} // namespace
} // namespace miral::clap_test
