// Soloing a band: the output is the input through the band's listening filter, checked against
// band-pass, low-pass and high-pass sections designed here from the textbook formulas; the
// switch into and out of a solo does not click; and where no band is soloed (never, or after a
// solo has faded out) the output keeps the bits of an engine that never soloed, with every
// kernel.

#include "engine/eq_engine.h"
#include "engine/physical_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

namespace miral {
namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kBlock = 512;

struct Stereo {
    std::vector<float> left, right;
};

Stereo noise(int32_t frames, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    Stereo s{std::vector<float>(size_t(frames)), std::vector<float>(size_t(frames))};
    for (int32_t i = 0; i < frames; ++i) {
        s.left[size_t(i)] = sample(random);
        s.right[size_t(i)] = sample(random);
    }
    return s;
}

Stereo sine(int32_t frames, double hz, double amplitude) {
    Stereo s{std::vector<float>(size_t(frames)), std::vector<float>(size_t(frames))};
    for (int32_t i = 0; i < frames; ++i)
        s.left[size_t(i)] = s.right[size_t(i)] =
            float(amplitude * std::sin(2 * std::numbers::pi * hz * i / kRate));
    return s;
}

/// `input` through `engine` in blocks of kBlock; `beforeBlock(k)` runs ahead of block k.
template <typename BeforeBlock>
Stereo process(EqEngine& engine, const Stereo& input, BeforeBlock beforeBlock) {
    Stereo out{std::vector<float>(input.left.size()), std::vector<float>(input.left.size())};
    for (size_t at = 0, k = 0; at < input.left.size(); at += kBlock, ++k) {
        beforeBlock(k);
        const auto n = static_cast<int32_t>(std::min<size_t>(kBlock, input.left.size() - at));
        const float* in[2] = {input.left.data() + at, input.right.data() + at};
        float* outputs[2] = {out.left.data() + at, out.right.data() + at};
        engine.processReplacing(in, outputs, n);
    }
    return out;
}

void set(EqEngine& engine, int32_t band, BandParamKind kind, float physical) {
    const int32_t index = bandParamIndex(band, kind);
    engine.setParameter(index, engineValueOf(index, physical));
}

/// Every band boosted or cut somewhere, so that a solo that let any of them through would show.
void configure(EqEngine& engine) {
    const float gains[kNumBands] = {9, -12, 6, 15, -8, 10};
    const float hz[kNumBands] = {180, 500, 1500, 4000, 9000, 6000};
    const float qs[kNumBands] = {1, 2, 4.5f, 8, 1.5f, 1};
    for (int32_t band = 0; band < kNumBands; ++band) {
        set(engine, band, BandParamKind::Gain, gains[band]);
        set(engine, band, BandParamKind::Frequency, hz[band]);
        set(engine, band, BandParamKind::Q, qs[band]);
    }
}

enum class Shape { BandPass, LowPass, HighPass };

/// The textbook second-order sections (bilinear transform with prewarping): band-pass with 0 dB
/// at the centre, low-pass and high-pass; run in direct form I.
std::vector<double> reference(Shape shape, double hz, double q, const std::vector<float>& x) {
    const double w0 = 2 * std::numbers::pi * hz / kRate;
    const double cw = std::cos(w0);
    const double alpha = std::sin(w0) / (2 * q);
    double b0 = alpha, b1 = 0, b2 = -alpha;
    if (shape == Shape::LowPass)
        b0 = b2 = (1 - cw) / 2, b1 = 1 - cw;
    else if (shape == Shape::HighPass)
        b0 = b2 = (1 + cw) / 2, b1 = -(1 + cw);
    const double a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        const double out = (b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1, x1 = x[n], y2 = y1, y1 = out;
        y[n] = out;
    }
    return y;
}

TEST(Solo, PlaysTheInputThroughTheBandsListeningFilter) {
    // Unit-amplitude noise: float output rounding and the two recursion forms differ by far
    // less than this; a wrong frequency, Q or shape, or any other band let through, by far more.
    constexpr double kTolerance = 1e-5;
    struct Case {
        int32_t band;
        Shape shape;
    };
    for (const Case c :
         {Case{0, Shape::LowPass}, Case{1, Shape::BandPass}, Case{2, Shape::BandPass},
          Case{3, Shape::BandPass}, Case{4, Shape::BandPass}, Case{5, Shape::HighPass}}) {
        for (const double smoothing : {0.0, kDefaultSmoothingSeconds}) {
            EqEngine engine;
            engine.setSampleRate(kRate);
            engine.setSmoothingTime(smoothing);
            configure(engine);
            engine.setSolo(c.band); // before the first block, which never fades
            const Stereo input = noise(8000, 7 + unsigned(c.band));
            const Stereo out = process(engine, input, [](size_t) {});
            const EqBand& band = engine.band(c.band);
            const double q = c.shape == Shape::BandPass ? band.q : std::numbers::sqrt2 / 2;
            const std::vector<double> left = reference(c.shape, band.frequencyHz, q, input.left);
            const std::vector<double> right = reference(c.shape, band.frequencyHz, q, input.right);
            double worst = 0;
            for (size_t n = 0; n < left.size(); ++n)
                worst = std::max(
                    {worst, std::fabs(out.left[n] - left[n]), std::fabs(out.right[n] - right[n])});
            EXPECT_LT(worst, kTolerance) << "band " << c.band << ", smoothing " << smoothing;
        }
    }
}

/// The largest change from one sample to the next in `y[from, to)`.
double largestStep(const std::vector<float>& y, size_t from, size_t to) {
    double largest = 0;
    for (size_t n = std::max<size_t>(from, 1); n < to; ++n)
        largest = std::max(largest, double(std::fabs(y[n] - y[n - 1])));
    return largest;
}

TEST(Solo, SwitchingGlidesWithoutAClick) {
    // A 700 Hz sine: the steady outputs before and after change by at most ω·amplitude from one
    // sample to the next, and so does a cross-fade of the two (plus a share of the amplitude per
    // fade length). A switch without the fade would step by a large part of the amplitude.
    struct Case {
        int32_t before, after;
    };
    for (const Case c :
         {Case{-1, 2}, Case{2, -1}, Case{-1, 0}, Case{5, -1}, Case{1, 3}, Case{0, 5}}) {
        for (const double smoothing : {0.0, kDefaultSmoothingSeconds}) {
            EqEngine engine;
            engine.setSampleRate(kRate);
            engine.setSmoothingTime(smoothing);
            configure(engine);
            engine.setSolo(c.before);
            const int32_t switchBlock = 40;
            const Stereo out = process(engine, sine(kBlock * 80, 700, 0.5), [&](size_t k) {
                if (k == switchBlock)
                    engine.setSolo(c.after);
            });
            const size_t at = size_t(switchBlock) * kBlock;
            const double steady =
                std::max(largestStep(out.left, at - 4000, at),
                         largestStep(out.left, out.left.size() - 4000, out.left.size()));
            const double transition = largestStep(out.left, at, at + 4000);
            EXPECT_LT(transition, 1.2 * steady) << c.before << " to " << c.after;
            EXPECT_GT(steady, 0.0);
        }
    }
}

TEST(Solo, WithoutASoloTheOutputKeepsItsBits) {
    for (const CascadeKernel kernel :
         {CascadeKernel::Scalar, CascadeKernel::Sse2, CascadeKernel::Avx, CascadeKernel::Avx512}) {
        for (const double smoothing : {0.0, kDefaultSmoothingSeconds}) {
            EqEngine plain, soloed;
            if (!plain.useKernel(kernel) || !soloed.useKernel(kernel))
                continue;
            for (EqEngine* engine : {&plain, &soloed}) {
                engine->setSampleRate(kRate);
                engine->setSmoothingTime(smoothing);
                configure(*engine);
            }
            const Stereo input = noise(kBlock * 30, 3);
            const Stereo expected = process(plain, input, [](size_t) {});
            // Soloed from block 4 to block 12; block 12's fade is over within two blocks.
            const Stereo out = process(
                soloed, input, [&](size_t k) { soloed.setSolo(k >= 4 && k < 12 ? 3 : -1); });
            for (const auto& [from, to] :
                 {std::pair{0, 4 * kBlock}, std::pair{14 * kBlock, 30 * kBlock}})
                for (const bool left : {true, false})
                    EXPECT_EQ(std::memcmp((left ? out.left : out.right).data() + from,
                                          (left ? expected.left : expected.right).data() + from,
                                          size_t(to - from) * sizeof(float)),
                              0)
                        << "kernel " << int(kernel) << ", smoothing " << smoothing << ", frames "
                        << from << ".." << to;
        }
    }
}

} // namespace
} // namespace miral
