// Continuity: whatever lengths the input samples have, the filter's output is miral_vst's
// processing of the same audio without interruption, bit for bit; the effect is resumed once,
// when streaming starts.
#include "chain.h"
#include "effect_calls.h"
#include "test_signals.h"
#include "vst_reference.h"

#include <gtest/gtest.h>

namespace miral::dx::test {
namespace {

/// 0, 1, 511, 4096 and 65536 frames, then reproducible random lengths up to 5000.
std::vector<int32_t> varyingLengths() {
    std::vector<int32_t> lengths = {0, 1, 511, 4096, 65536, 1, 0, 4096, 511, 1};
    uint32_t state = 20261208u;
    for (int i = 0; i < 24; ++i) {
        state = state * 1664525u + 1013904223u;
        lengths.push_back(int32_t((state >> 8) % 5001));
    }
    return lengths;
}

class Continuity : public Chain {
public:
    /// Sends `lengths` frames of stereo float noise at `rate` through the filter with the
    /// "Bass boost" program; compares with one uninterrupted miral_vst block.
    void playAndCompare(uint32_t rate, const std::vector<int32_t>& lengths) {
        MediaType stereo;
        makeAudioType(stereo, WAVE_FORMAT_IEEE_FLOAT, 2, rate, 32);
        ASSERT_EQ(connect(stereo.get(), 65536 * 8), S_OK);
        ASSERT_EQ(query<IEqPrograms>(miral.get(), kIidEqPrograms)->SelectProgram(1), S_OK);
        AEffect* effect = nullptr;
        ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
        EffectCalls calls(effect);
        ASSERT_EQ(control(&IMediaControl::Run), S_OK);

        size_t total = 0;
        for (int32_t frames : lengths)
            total += size_t(frames);
        const std::vector<float> noise = noiseFloat(total * 2);
        size_t at = 0;
        for (int32_t frames : lengths) {
            const std::vector<float> block(noise.begin() + ptrdiff_t(at),
                                           noise.begin() + ptrdiff_t(at + size_t(frames) * 2));
            ASSERT_EQ(source->send(plain(bytesOf(block))), S_OK);
            at += size_t(frames) * 2;
        }
        EXPECT_EQ(EffectCalls::suspendsAndResumes(calls.take()), rate == 44100 ? 1 : 2)
            << "resumed once, as streaming started";
        EXPECT_EQ(blockLengths(sink->samples(), 8), lengths);

        std::vector<float> values(26);
        parameters->GetParameters(values.data());
        const StereoFloat expected =
            processWithVst(values.data(), rate, deinterleave(noise), {int32_t(total)});
        const std::vector<float> output = samplesOf<float>(sink->data());
        ASSERT_EQ(output.size(), total * 2);
        for (size_t i = 0; i < total; ++i) {
            ASSERT_EQ(output[2 * i], expected.left[i]) << "frame " << i;
            ASSERT_EQ(output[2 * i + 1], expected.right[i]) << "frame " << i;
        }
    }
};

TEST_F(Continuity, VaryingSampleLengthsGiveUninterruptedOutputAt44100) {
    playAndCompare(44100, varyingLengths());
}

TEST_F(Continuity, VaryingSampleLengthsGiveUninterruptedOutputAtANewRate) {
    playAndCompare(96000, varyingLengths());
}

} // namespace
} // namespace miral::dx::test
