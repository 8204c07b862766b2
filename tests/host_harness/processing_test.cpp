// Processing as hosts drive it: every supported sample rate with block sizes from 1 to 8192,
// blocks of unusual lengths, buffers shared between inputs and outputs, and the decay to
// silence.
#include "plugin_fixture.h"
#include "signals.h"

#include <cmath>

namespace miral::harness {
namespace {

// The program with the most gain, so that every band's recursion is busy.
constexpr int32_t kBoostingProgram = 8;

struct Processing : PluginTest {
    /// A started effect on the boosting program; null, with a failure, when refused.
    static std::unique_ptr<HostedEffect> boostingEffect(float sampleRate = 48000.0f,
                                                        int32_t blockSize = 512) {
        auto effect = startedEffect(sampleRate, blockSize);
        if (effect != nullptr)
            effect->dispatch(effSetProgram, 0, kBoostingProgram);
        return effect;
    }
};

TEST_F(Processing, EveryRateAndBlockSizeGivesFiniteOutputWithoutSubnormals) {
    for (float rate : {44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f}) {
        for (int32_t block : {1, 2, 3, 31, 64, 480, 512, 1000, 4096, 8192}) {
            auto effect = boostingEffect(rate, block);
            ASSERT_NE(effect, nullptr);
            const size_t frames = std::max<size_t>(2 * size_t(block), 2048);
            Stereo input = noise(frames, 0.5f, uint32_t(block));
            Stereo output(frames);
            processInBlocks(*effect, input, output, block);
            const SampleCounts counts = countSamples(output);
            EXPECT_EQ(counts.nonFinite, 0u) << rate << " Hz, blocks of " << block;
            EXPECT_EQ(counts.subnormal, 0u) << rate << " Hz, blocks of " << block;
            EXPECT_GT(counts.largest, 0.0f) << rate << " Hz, blocks of " << block;
            EXPECT_NE(output, input) << "processed at " << rate << " Hz";
        }
    }
}

// Output of a fresh effect at 48 kHz for `input`, with separate buffers in blocks of 512.
Stereo reference(HostedEffect& effect, Stereo input) {
    Stereo output(input.frames());
    processInBlocks(effect, input, output, 512);
    return output;
}

TEST_F(Processing, BlocksOfNoFramesAndLongerThanAnnouncedChangeNothing) {
    const Stereo input = noise(8192, 0.5f, 7);
    auto announced = boostingEffect(48000.0f, 512);
    ASSERT_NE(announced, nullptr);
    const Stereo expected = reference(*announced, input);

    auto abused = boostingEffect(48000.0f, 64);
    ASSERT_NE(abused, nullptr);
    Stereo in = input;
    Stereo output(input.frames(), 42.0f);
    abused->process(in.at().data(), output.at().data(), 0);
    EXPECT_EQ(output, Stereo(input.frames(), 42.0f)) << "0 frames write nothing";
    abused->process(in.at().data(), output.at().data(), -5);
    EXPECT_EQ(output, Stereo(input.frames(), 42.0f)) << "a negative count writes nothing";
    abused->process(in.at().data(), output.at().data(), 8192);
    EXPECT_EQ(output, expected) << "8192 frames after announcing 64";
}

TEST_F(Processing, SharedBuffersGiveTheSameOutputAsSeparateOnes) {
    const Stereo input = noise(4096, 0.5f, 11);
    auto separate = boostingEffect();
    ASSERT_NE(separate, nullptr);
    const Stereo expected = reference(*separate, input);

    auto inPlace = boostingEffect();
    ASSERT_NE(inPlace, nullptr);
    Stereo buffer = input;
    processInBlocks(*inPlace, buffer, buffer, 512);
    EXPECT_EQ(buffer, expected) << "in place";

    // Crossed: each output is the other channel's input.
    auto crossed = boostingEffect();
    ASSERT_NE(crossed, nullptr);
    Stereo shared = input;
    for (size_t done = 0; done < shared.frames(); done += 512) {
        const auto channels = shared.at(done);
        float* const outputs[2] = {channels[1], channels[0]};
        crossed->process(channels.data(), outputs, 512);
    }
    EXPECT_EQ(shared.left, expected.right) << "crossed";
    EXPECT_EQ(shared.right, expected.left) << "crossed";
}

TEST_F(Processing, EqualInputPointersAreProcessedAsTwoEqualChannels) {
    Stereo input = noise(4096, 0.5f, 13);
    input.right = input.left;
    auto separate = boostingEffect();
    ASSERT_NE(separate, nullptr);
    const Stereo expected = reference(*separate, input);

    auto mono = boostingEffect();
    ASSERT_NE(mono, nullptr);
    Stereo output(input.frames());
    for (size_t done = 0; done < input.frames(); done += 512) {
        float* const inputs[2] = {&input.left[done], &input.left[done]};
        mono->process(inputs, output.at(done).data(), 512);
    }
    EXPECT_EQ(output, expected);
}

TEST_F(Processing, NoiseDecaysToSilenceWithoutSubnormals) {
    for (float rate : {44100.0f, 192000.0f}) {
        auto effect = boostingEffect(rate, 512);
        ASSERT_NE(effect, nullptr);
        Stereo loud = noise(8192, 1.0f, 17);
        Stereo output(loud.frames());
        processInBlocks(*effect, loud, output, 512);

        // Ten seconds of silence: the last block must be silent or a floor far below the
        // smallest step of 24-bit audio (6e-8).
        Stereo silence(size_t(rate) * 10);
        Stereo tail(silence.frames());
        processInBlocks(*effect, silence, tail, 512);
        const SampleCounts counts = countSamples(tail);
        EXPECT_EQ(counts.subnormal, 0u) << rate << " Hz";
        EXPECT_EQ(counts.nonFinite, 0u) << rate << " Hz";
        Stereo lastBlock(512);
        std::copy(tail.left.end() - 512, tail.left.end(), lastBlock.left.begin());
        std::copy(tail.right.end() - 512, tail.right.end(), lastBlock.right.begin());
        EXPECT_LT(countSamples(lastBlock).largest, 1e-12f) << rate << " Hz";
    }
}

// Windows shows the low-rate notice in a message box, which would wait for a user.
#if !defined(_WIN32)
TEST_F(Processing, BelowTheLowestRateTheInputPassesThrough) {
    auto effect = startedEffect(22050.0f, 256);
    ASSERT_NE(effect, nullptr);
    Stereo input = noise(256, 0.5f, 37);
    Stereo output(256, 42.0f);
    effect->setParameter(25, 1.0f);
    effect->process(input.at().data(), output.at().data(), 256);
    EXPECT_EQ(output, input);
}
#endif

} // namespace
} // namespace miral::harness
