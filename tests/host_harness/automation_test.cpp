// Parameter changes between short blocks, with the values a broken host or automation lane
// sends; finite input must still give finite output.
#include "plugin_fixture.h"
#include "signals.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace miral::harness {
namespace {

constexpr int32_t kAutomationInterval = 32;

constexpr float kHostileValues[] = {
    std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    FLT_MAX,
    -FLT_MAX,
    1e30f,
    -1e30f,
    100.0f,
    -100.0f,
    2.0f,
    -1.0f,
    1.5f,
    1e-40f, // subnormal
    -0.0f,
    0.0f,
    1.0f,
    0.999999f,
};

using Automation = PluginTest;

TEST_F(Automation, HostileValuesEvery32FramesKeepFiniteInputFinite) {
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        auto effect = startedEffect(rate, kAutomationInterval);
        ASSERT_NE(effect, nullptr);
        effect->dispatch(effSetProgram, 0, 8);
        // Full-scale and extreme finite input as well as ordinary noise.
        Stereo input = noise(
            size_t(kParameterCount) * std::size(kHostileValues) * kAutomationInterval, 1.0f, 23);
        for (size_t i = 0; i < input.frames(); i += 97)
            input.left[i] = (i / 97) % 2 == 0 ? FLT_MAX : -FLT_MAX;
        Stereo output(input.frames());
        size_t done = 0;
        for (float value : kHostileValues) {
            for (int32_t index = 0; index < kParameterCount; ++index) {
                effect->setParameter(index, value);
                EXPECT_TRUE(std::isfinite(effect->getParameter(index)))
                    << "parameter " << index << " after " << value;
                effect->process(input.at(done).data(), output.at(done).data(), kAutomationInterval);
                done += kAutomationInterval;
            }
        }
        const SampleCounts counts = countSamples(output);
        EXPECT_EQ(counts.nonFinite, 0u) << rate << " Hz";
        EXPECT_EQ(counts.subnormal, 0u) << rate << " Hz";
        EXPECT_EQ(effect->automationReports(), 0) << "host changes are not reported back";
    }
}

TEST_F(Automation, NonFiniteInputOnlyAffectsItsOwnBlock) {
    auto effect = startedEffect(48000.0f, kAutomationInterval);
    ASSERT_NE(effect, nullptr);
    effect->dispatch(effSetProgram, 0, 8);
    for (float poison :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Stereo bad = noise(kAutomationInterval, 0.5f, 29);
        bad.left[5] = poison;
        bad.right[9] = -poison;
        Stereo output(kAutomationInterval);
        effect->process(bad.at().data(), output.at().data(), kAutomationInterval);
        Stereo good = noise(4096, 0.5f, 31);
        Stereo after(good.frames());
        processInBlocks(*effect, good, after, kAutomationInterval);
        EXPECT_EQ(countSamples(after).nonFinite, 0u) << "after " << poison;
    }
}

} // namespace
} // namespace miral::harness
