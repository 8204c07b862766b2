// The audio path against a plain model of the processing: every kernel, bit for bit.

#include "engine/band_design.h"
#include "engine/cascade_kernels.h"
#include "engine/eq_engine.h"
#include "engine/laws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace miral {
namespace {

// The processing written the plain way: widen, run every active section of a channel over the
// whole block in band order, scale and narrow; a band that does not run forgets its state. Reads
// the engine's records; keeps its own states.
class ReferenceProcessor {
public:
    void process(const EqEngine& engine, const std::vector<float>& inL,
                 const std::vector<float>& inR, bool mono, std::vector<float>& outL,
                 std::vector<float>& outR) {
        outL.clear();
        outR.clear();
        if (inL.empty())
            return; // an empty block changes nothing
        std::vector<double> left(inL.begin(), inL.end());
        std::vector<double> right(inR.begin(), inR.end());
        runChannel(engine, 0, left);
        if (!mono)
            runChannel(engine, 1, right);
        for (int32_t band = 0; band < kNumBands && mono; ++band)
            if (!engine.band(band).isActive())
                states_[static_cast<size_t>(band + kNumBands)] = BiquadState{};
        const std::vector<double>& rightResult = mono ? left : right;
        outL.resize(left.size());
        outR.resize(left.size());
        for (size_t i = 0; i < left.size(); ++i) {
            outL[i] = static_cast<float>(left[i] * engine.outputGain());
            outR[i] = static_cast<float>(rightResult[i] * engine.outputGain());
        }
    }

    const BiquadState& state(int32_t k) const { return states_[static_cast<size_t>(k)]; }

private:
    void runChannel(const EqEngine& engine, int32_t channel, std::vector<double>& x) {
        for (int32_t band = 0; band < kNumBands; ++band) {
            const int32_t k = band + kNumBands * channel;
            BiquadState& s = states_[static_cast<size_t>(k)];
            if (!engine.band(band).isActive()) {
                s = BiquadState{};
                continue;
            }
            const BiquadCoefficients& c = engine.band(band).coefficients;
            for (double& sample : x) {
                const double w = (sample + 1e-15) - (c.a2 * s.w2 + c.a1 * s.w1);
                sample = c.b2 * s.w2 + c.b0 * w + c.b1 * s.w1;
                s.w2 = s.w1;
                s.w1 = w;
            }
        }
    }

    std::array<BiquadState, kNumFilters> states_{};
};

bool sameBits(const void* a, const void* b, size_t bytes) {
    return bytes == 0 || std::memcmp(a, b, bytes) == 0;
}

// How a block's buffers are passed.
enum class Routing { StereoApart, StereoInPlace, StereoSwappedInPlace, MonoApart, MonoInPlace };
constexpr int kRoutings = 5;

class KernelTest : public ::testing::TestWithParam<CascadeKernel> {
protected:
    void SetUp() override {
        if (!engine.useKernel(GetParam()))
            GTEST_SKIP() << "this processor lacks the kernel";
    }

    // `activeBands` bands with random settings run; the others are flat or switched off.
    void randomSettings(int activeBands) {
        std::array<int, kNumBands> order{0, 1, 2, 3, 4, 5};
        std::shuffle(order.begin(), order.end(), random);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 0; i < kNumBands; ++i) {
            const int band = order[static_cast<size_t>(i)];
            const bool active = i < activeBands;
            float gain = unit(random);
            if (gain == 0.5f || (!active && random() % 2 == 0))
                gain = active ? 0.9f : 0.5f;
            engine.setParameter(bandParamIndex(band, BandParamKind::Gain), gain);
            engine.setParameter(bandParamIndex(band, BandParamKind::Frequency), unit(random));
            engine.setParameter(bandParamIndex(band, BandParamKind::Q), unit(random));
            engine.setParameter(bandParamIndex(band, BandParamKind::OnOff),
                                active || gain == 0.5f ? 1.0f : 0.3f);
        }
        engine.setParameter(toIndex(ParamId::GainRange), 0.3f + 0.7f * unit(random));
        engine.setParameter(toIndex(ParamId::OutputGain), unit(random));
        int running = 0;
        for (int band = 0; band < kNumBands; ++band)
            running += engine.band(band).isActive() ? 1 : 0;
        EXPECT_EQ(running, activeBands);
    }

    std::vector<float> signal(int32_t frames) {
        std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
        std::vector<float> x(static_cast<size_t>(frames));
        for (float& s : x)
            s = sample(random);
        return x;
    }

    // Runs one block through the engine and the reference and compares outputs and states.
    void checkBlock(int32_t frames, Routing routing, const std::string& where) {
        const bool mono = routing == Routing::MonoApart || routing == Routing::MonoInPlace;
        std::vector<float> a = signal(frames), b = signal(frames);
        if (mono)
            b = a;
        std::vector<float> expectedL, expectedR;
        reference.process(engine, a, b, mono, expectedL, expectedR);

        std::vector<float> c(static_cast<size_t>(frames), -9.0f),
            d(static_cast<size_t>(frames), -9.0f);
        const float* in[2] = {a.data(), mono ? a.data() : b.data()};
        float* out[2] = {c.data(), d.data()};
        std::vector<float>*gotL = &c, *gotR = &d;
        switch (routing) {
        case Routing::StereoApart:
        case Routing::MonoApart:
            break;
        case Routing::StereoInPlace:
            out[0] = a.data(), out[1] = b.data(), gotL = &a, gotR = &b;
            break;
        case Routing::StereoSwappedInPlace: // left result into the right input and vice versa
            out[0] = b.data(), out[1] = a.data(), gotL = &b, gotR = &a;
            break;
        case Routing::MonoInPlace:
            out[0] = a.data(), gotL = &a;
            break;
        }
        engine.processReplacing(in, out, frames);

        const size_t bytes = static_cast<size_t>(frames) * sizeof(float);
        ASSERT_TRUE(sameBits(gotL->data(), expectedL.data(), bytes)) << where << " left";
        ASSERT_TRUE(sameBits(gotR->data(), expectedR.data(), bytes)) << where << " right";
        for (int32_t k = 0; k < kNumFilters; ++k)
            ASSERT_TRUE(sameBits(&engine.bandState(k), &reference.state(k), sizeof(BiquadState)))
                << where << " state " << k;
    }

    EqEngine engine;
    ReferenceProcessor reference;
    std::mt19937 random{20240611};
};

TEST_P(KernelTest, MatchesThePlainProcessingBitForBit) {
    std::vector<int32_t> lengths;
    for (int32_t n = 0; n <= 70; ++n)
        lengths.push_back(n);
    for (int32_t n : {127, 512, 1001, 4096, 5003})
        lengths.push_back(n);

    for (float rate : {44100.0f, 96000.0f}) {
        engine.setSampleRate(rate);
        int block = 0;
        for (int32_t frames : lengths) {
            // Settings change every few blocks; states carry on from block to block.
            if (block % 3 == 0)
                randomSettings(block / 3 % (kNumBands + 1));
            const auto routing = static_cast<Routing>(block % kRoutings);
            checkBlock(frames, routing,
                       "rate " + std::to_string(rate) + " block " + std::to_string(block) +
                           " frames " + std::to_string(frames) + " routing " +
                           std::to_string(block % kRoutings));
            if (HasFatalFailure())
                return;
            ++block;
        }
    }
}

TEST_P(KernelTest, EveryCascadeLengthAndRoutingAcrossManyBlocks) {
    engine.setSampleRate(48000.0f);
    for (int activeBands = 0; activeBands <= kNumBands; ++activeBands) {
        randomSettings(activeBands);
        for (int routing = 0; routing < kRoutings; ++routing)
            for (int32_t frames : {1, 2, 3, 7, 11, 12, 13, 64, 333}) {
                checkBlock(frames, static_cast<Routing>(routing),
                           std::to_string(activeBands) + " bands, routing " +
                               std::to_string(routing) + ", frames " + std::to_string(frames));
                if (HasFatalFailure())
                    return;
            }
    }
}

TEST_P(KernelTest, SilenceSettlesWithoutDenormalsAndMatches) {
    engine.setSampleRate(44100.0f);
    randomSettings(kNumBands);
    for (int i = 0; i < 8; ++i) {
        const int32_t frames = 4096;
        std::vector<float> silence(frames, 0.0f), expectedL, expectedR;
        reference.process(engine, silence, silence, false, expectedL, expectedR);
        std::vector<float> outL(frames), outR(frames);
        const std::vector<float> other(frames, 0.0f);
        const float* in[2] = {silence.data(), other.data()};
        float* out[2] = {outL.data(), outR.data()};
        engine.processReplacing(in, out, frames);
        ASSERT_TRUE(sameBits(outL.data(), expectedL.data(), frames * sizeof(float)));
        ASSERT_TRUE(sameBits(outR.data(), expectedR.data(), frames * sizeof(float)));
    }
}

// Coefficients and output factor that move while the job runs (a glide): every kernel gives the
// scalar kernel's bits and final states, for every cascade length, sub-block phase and routing.
TEST_P(KernelTest, MovingCoefficientsGiveTheScalarKernelsBits) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto randomDesign = [&](int section) {
        return designBand(section, -16.0 + 32.0 * unit(random),
                          30.0 * std::pow(500.0, unit(random)), 1.0 + 9.0 * unit(random), 48000.0);
    };
    for (int count = 0; count <= kMaxCascadeSections; ++count)
        for (const bool mono : {false, true})
            for (int32_t frames : {1, 2, 7, 12, 31, 32, 33, 95, 256, 300, kMaxMovingFrames}) {
                CascadeMotion motion;
                for (int s = 0; s < count; ++s) {
                    // Steady sections run with sub-block 0 and ignore the further ones.
                    motion.steady[size_t(s)] = random() % 3 == 0;
                    for (int32_t k = 0; k * kMovingSubBlockFrames < frames; ++k) {
                        const BiquadCoefficients from = randomDesign(s), to = randomDesign(s);
                        const double share = 1.0 / kMovingSubBlockFrames;
                        motion.sections[size_t(s)][size_t(k)] = {
                            from,
                            {(to.b0 - from.b0) * share, (to.b1 - from.b1) * share,
                             (to.b2 - from.b2) * share, (to.a1 - from.a1) * share,
                             (to.a2 - from.a2) * share}};
                    }
                    if (motion.steady[size_t(s)])
                        motion.sections[size_t(s)][0].step = {};
                }
                motion.outputGainStep = (unit(random) - 0.5) / frames;

                std::array<std::array<BiquadState, 2 * kMaxCascadeSections>, 2> states{};
                for (BiquadState& state : states[0])
                    state = {unit(random) - 0.5, unit(random) - 0.5};
                states[1] = states[0];
                const std::vector<float> inL = signal(frames), inR = signal(frames);
                std::array<std::vector<float>, 2> outL, outR;
                for (size_t run = 0; run < 2; ++run) {
                    outL[run].assign(size_t(frames), -9.0f);
                    outR[run].assign(size_t(frames), -9.0f);
                    CascadeJob job;
                    job.count = count;
                    for (size_t s = 0; s < size_t(count); ++s) {
                        job.left[s] = &states[run][s];
                        job.right[s] = &states[run][s + kMaxCascadeSections];
                    }
                    job.outputGain = 0.5;
                    job.motion = &motion;
                    job.mono = mono;
                    job.inL = inL.data();
                    job.inR = mono ? inL.data() : inR.data();
                    job.outL = outL[run].data();
                    job.outR = outR[run].data();
                    job.frames = frames;
                    runCascade(run == 0 ? CascadeKernel::Scalar : GetParam(), job);
                }
                const std::string where = std::to_string(count) + " sections, mono " +
                                          std::to_string(mono) + ", frames " +
                                          std::to_string(frames);
                const size_t bytes = size_t(frames) * sizeof(float);
                ASSERT_TRUE(sameBits(outL[0].data(), outL[1].data(), bytes)) << where;
                ASSERT_TRUE(sameBits(outR[0].data(), outR[1].data(), bytes)) << where;
                ASSERT_TRUE(sameBits(states[0].data(), states[1].data(), sizeof(states[0])))
                    << where;
            }
}

std::string kernelName(const ::testing::TestParamInfo<CascadeKernel>& info) {
    switch (info.param) {
    case CascadeKernel::Scalar:
        return "Scalar";
    case CascadeKernel::Sse2:
        return "Sse2";
    case CascadeKernel::Avx:
        return "Avx";
    case CascadeKernel::Avx512:
        return "Avx512";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(AllKernels, KernelTest,
                         ::testing::Values(CascadeKernel::Scalar, CascadeKernel::Sse2,
                                           CascadeKernel::Avx, CascadeKernel::Avx512),
                         kernelName);

TEST(KernelChoice, TheDefaultIsTheBestAvailableAndUnavailableOnesAreRefused) {
    EqEngine engine;
    EXPECT_EQ(engine.kernel(), bestCascadeKernel());
    EXPECT_TRUE(isCascadeKernelAvailable(bestCascadeKernel()));
    for (CascadeKernel kernel :
         {CascadeKernel::Scalar, CascadeKernel::Sse2, CascadeKernel::Avx, CascadeKernel::Avx512}) {
        EXPECT_EQ(engine.useKernel(kernel), isCascadeKernelAvailable(kernel));
        if (isCascadeKernelAvailable(kernel)) {
            EXPECT_EQ(engine.kernel(), kernel);
        }
    }
#if defined(__x86_64__)
    EXPECT_TRUE(isCascadeKernelAvailable(CascadeKernel::Sse2));
#endif
}

// Skipping unchanged designs must never leave a band with coefficients other than those its
// current inputs give.
TEST(Redesign, CoefficientsAlwaysFollowTheCurrentInputs) {
    EqEngine engine;
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> index(0, kNumParams - 1);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    const float rates[] = {44100.0f, 48000.0f, 88200.0f};
    for (int call = 0; call < 2000; ++call) {
        if (call % 250 == 0)
            engine.setSampleRate(rates[call / 250 % 3]);
        const int32_t i = index(random);
        // Revisit earlier values often, so that unchanged inputs come round again.
        const float v = random() % 3 == 0 ? 0.5f : (random() % 2 ? 0.25f : value(random));
        engine.setParameter(i, v);
        for (int32_t band = 0; band < kNumBands; ++band) {
            const EqBand& record = engine.band(band);
            if (record.gainDb == 0.0)
                continue;
            const double g = record.gainDb * engine.gainRange();
            const double f = record.frequencyHz;
            const double rate = engine.sampleRate();
            const BiquadCoefficients expected = band == 0 ? designLowShelf(g, f, rate)
                                                : band == kNumBands - 1
                                                    ? designHighShelf(g, f, rate)
                                                    : designPeak(g, f, f * (1 / record.q), rate);
            ASSERT_EQ(record.coefficients, expected) << "call " << call << " band " << band;
        }
    }
}

} // namespace
} // namespace miral
