#include "engine/solo_mix.h"

#include "saturated_narrowing.h"

#include <algorithm>
#include <cmath>

namespace miral {
namespace {

double filtered(const BiquadCoefficients& c, float x, BiquadState& state) {
    const double y = biquadStep(c, static_cast<double>(x), state.w1, state.w2);
    if (!std::isfinite(state.w1) || !std::isfinite(state.w2))
        state = BiquadState{};
    return y;
}

} // namespace

SoloMix::Listening SoloMix::Listening::startingAt(int32_t band, const BiquadCoefficients& design) {
    Listening filter;
    filter.band = band;
    filter.coefficients = filter.target = design;
    return filter;
}

void SoloMix::Listening::headFor(double to, int32_t frames) {
    if (to == shareTo)
        return;
    shareTo = to;
    shareStep = (to - share) / frames;
    shareStepsLeft = frames;
}

void SoloMix::Listening::advance() {
    if (stepsLeft > 0) {
        coefficients.b0 += step.b0;
        coefficients.b1 += step.b1;
        coefficients.b2 += step.b2;
        coefficients.a1 += step.a1;
        coefficients.a2 += step.a2;
        if (--stepsLeft == 0)
            coefficients = target;
    }
    if (shareStepsLeft > 0) {
        share += shareStep;
        if (--shareStepsLeft == 0)
            share = shareTo;
    }
}

bool SoloMix::sounds() const noexcept {
    return std::any_of(filters_.begin(), filters_.end(),
                       [](const Listening& filter) { return filter.heard(); });
}

void SoloMix::retarget(int32_t band, const BiquadCoefficients& target, int32_t fadeFrames,
                       bool jump) noexcept {
    if (jump) {
        // As after resume: every state cleared, the solo at once.
        leaving() = Listening{};
        soloed() = band < 0 ? Listening{} : Listening::startingAt(band, target);
        if (band >= 0)
            soloed().share = soloed().shareTo = 1.0;
        return;
    }
    fadeFrames = std::max(fadeFrames, 1);
    if (band < 0) {
        soloed().headFor(0.0, fadeFrames);
        return;
    }
    if (band != soloed().band) {
        // The filter heard so far fades out beside the new one.
        if (soloed().heard()) {
            leaving() = soloed();
            leaving().headFor(0.0, fadeFrames);
        }
        soloed() = Listening::startingAt(band, target);
    } else if (target != soloed().target) {
        soloed().target = target;
        if (soloed().share == 0.0) {
            soloed().coefficients = target; // nothing of it is heard yet
            soloed().stepsLeft = 0;
        } else {
            const double share = 1.0 / fadeFrames;
            const BiquadCoefficients& from = soloed().coefficients;
            soloed().step = {(target.b0 - from.b0) * share, (target.b1 - from.b1) * share,
                             (target.b2 - from.b2) * share, (target.a1 - from.a1) * share,
                             (target.a2 - from.a2) * share};
            soloed().stepsLeft = fadeFrames;
        }
    }
    soloed().headFor(1.0, fadeFrames);
}

void SoloMix::mix(const float* inL, const float* inR, float* outL, float* outR, bool mono,
                  int32_t frames) noexcept {
    for (int32_t i = 0; i < frames; ++i) {
        double left = 0.0, right = 0.0, kept = 1.0;
        for (Listening& filter : filters_) {
            if (!filter.heard())
                continue;
            filter.advance();
            kept -= filter.share;
            left += filter.share * filtered(filter.coefficients, inL[i], filter.left);
            if (!mono)
                right += filter.share * filtered(filter.coefficients, inR[i], filter.right);
        }
        const float mixedLeft = narrowSaturated(kept * outL[i] + left);
        outL[i] = mixedLeft;
        outR[i] = mono ? mixedLeft : narrowSaturated(kept * outR[i] + right);
    }
    for (Listening& filter : filters_)
        if (!filter.heard())
            filter.left = filter.right = BiquadState{};
}

} // namespace miral
