// A band that stops running and runs again later starts from silence: what it held when it
// stopped must not ring out when it returns. Each case plays a tone through the bands, takes
// them out of the cascade, waits over silence and brings them back; the output after the return
// must be bit for bit that of an engine with the same history of settings that never heard the
// tone. Every kernel, with and without smoothing.

#include "engine/eq_engine.h"
#include "engine/physical_units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace miral {
namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kBlock = 512;

void setPhysical(EqEngine& engine, ParamId id, double physical) {
    const int32_t index = toIndex(id);
    engine.setParameter(index, physicalToNormValue(index, static_cast<float>(physical)));
}

using Settings = std::vector<std::pair<ParamId, double>>;

// A peak that rings for a long time: 50 Hz, +12 dB, Q 8; and a bass boost with it.
const Settings kRingingPeak = {{ParamId::Gain2, 12.0}, {ParamId::Freq2, 50.0}, {ParamId::Q2, 8.0}};
const Settings kBassBoost = {{ParamId::Gain1, 8.0},  {ParamId::Freq1, 120.0},
                             {ParamId::Gain2, 12.0}, {ParamId::Freq2, 50.0},
                             {ParamId::Q2, 8.0},     {ParamId::Gain6, 4.0}};

void setGains(EqEngine& engine, bool flat) {
    for (const auto& [id, value] : kBassBoost)
        if (kindOfParam(toIndex(id)) == BandParamKind::Gain)
            setPhysical(engine, id, flat ? 0.0 : value);
}

struct ReturnCase {
    const char* name;
    const Settings& settings;
    std::function<void(EqEngine&)> takeOut, bringBack;
};

const ReturnCase kCases[] = {
    {"switch off and on", kRingingPeak, [](EqEngine& e) { setPhysical(e, ParamId::OnOff2, 0); },
     [](EqEngine& e) { setPhysical(e, ParamId::OnOff2, 1); }},
    {"gain through 0 dB and back", kRingingPeak,
     [](EqEngine& e) { setPhysical(e, ParamId::Gain2, 0); },
     [](EqEngine& e) { setPhysical(e, ParamId::Gain2, 12); }},
    {"flat program and back", kBassBoost, [](EqEngine& e) { setGains(e, true); },
     [](EqEngine& e) { setGains(e, false); }},
};

// Runs the whole history in blocks and returns the output after the return.
std::vector<float> afterReturn(CascadeKernel kernel, double smoothing, const ReturnCase& c,
                               bool tone) {
    EqEngine engine;
    EXPECT_TRUE(engine.useKernel(kernel));
    engine.setSampleRate(kRate);
    engine.setSmoothingTime(smoothing);
    for (const auto& [id, value] : c.settings)
        setPhysical(engine, id, value);

    std::vector<float> in(kBlock), outL(kBlock), outR(kBlock), result;
    int64_t frame = 0;
    auto play = [&](int32_t blocks, bool sound, bool keep) {
        for (int32_t b = 0; b < blocks; ++b) {
            for (float& s : in)
                s = sound
                        ? float(0.5 * std::sin(2 * std::numbers::pi * 50 * double(frame++) / kRate))
                        : 0.0f;
            const float* inputs[2] = {in.data(), in.data()};
            float* outputs[2] = {outL.data(), outR.data()};
            engine.processReplacing(inputs, outputs, kBlock);
            if (keep)
                result.insert(result.end(), outL.begin(), outL.end());
        }
    };
    play(90, tone, false); // about a second of the tone (or of silence)
    c.takeOut(engine);
    play(20, false, false); // the band fades out and stays out
    c.bringBack(engine);
    play(20, false, true);
    return result;
}

TEST(BandReturn, StartsFromSilenceInEveryKernelWithAndWithoutSmoothing) {
    for (const CascadeKernel kernel :
         {CascadeKernel::Scalar, CascadeKernel::Sse2, CascadeKernel::Avx, CascadeKernel::Avx512}) {
        if (!isCascadeKernelAvailable(kernel))
            continue;
        for (const double smoothing : {0.0, kDefaultSmoothingSeconds})
            for (const ReturnCase& c : kCases) {
                SCOPED_TRACE(testing::Message() << c.name << ", kernel " << int(kernel)
                                                << ", smoothing " << smoothing);
                const auto heard = afterReturn(kernel, smoothing, c, true);
                const auto clean = afterReturn(kernel, smoothing, c, false);
                ASSERT_EQ(heard.size(), clean.size());
                EXPECT_EQ(std::memcmp(heard.data(), clean.data(), heard.size() * sizeof(float)), 0);
                float peak = 0;
                for (float s : heard)
                    peak = std::max(peak, std::fabs(s));
                EXPECT_LT(peak, 1e-9f) << "the returning band rings";
            }
    }
}

} // namespace
} // namespace miral
