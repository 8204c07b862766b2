#include "engine/design_glide.h"

#include "engine/band_design.h"

#include <algorithm>
#include <cmath>

namespace miral {
namespace {

double lerp(double from, double to, double progress) {
    return from + (to - from) * progress;
}

BiquadCoefficients stepBetween(const BiquadCoefficients& from, const BiquadCoefficients& to,
                               int32_t n) {
    const double share = 1.0 / n;
    return {(to.b0 - from.b0) * share, (to.b1 - from.b1) * share, (to.b2 - from.b2) * share,
            (to.a1 - from.a1) * share, (to.a2 - from.a2) * share};
}

/// The section that gives `wet` of `c`'s output and the rest of its input: with the same
/// feedback, b·wet + a·(1 − wet) (a0 = 1) feeds forward (1 − wet)·x beside wet·y.
BiquadCoefficients crossFaded(const BiquadCoefficients& c, double wet) {
    if (wet == 1.0)
        return c;
    const double dry = 1.0 - wet;
    return {c.b0 * wet + dry, c.b1 * wet + c.a1 * dry, c.b2 * wet + c.a2 * dry, c.a1, c.a2};
}

} // namespace

DesignPoint DesignGlide::BandCourse::pointAt(int32_t at) const {
    if (from == to)
        return to;
    const double p = progress(at);
    return {lerp(from.gainDb, to.gainDb, p),
            from.frequencyHz == to.frequencyHz
                ? to.frequencyHz
                : std::exp(lerp(logFrequencyFrom, logFrequencyTo, p)),
            from.q == to.q ? to.q : std::exp(lerp(logQFrom, logQTo, p))};
}

bool DesignGlide::gliding() const noexcept {
    if (gainDone_ < gainTotal_)
        return true;
    return std::any_of(bands_.begin(), bands_.end(),
                       [](const BandCourse& course) { return !course.arrived(); });
}

void DesignGlide::retarget(const GlideTargets& targets, int32_t glideFrames, bool jump) noexcept {
    // Nothing to glide from at another rate.
    jump = jump || glideFrames <= 0 || targets.sampleRateHz != rateHz_;
    rateHz_ = targets.sampleRateHz;
    for (size_t band = 0; band < bands_.size(); ++band)
        retargetBand(bands_[band], targets.bands[band], glideFrames, jump);

    if (jump) {
        gainFrom_ = gainTo_ = targets.outputGain;
        gainDone_ = gainTotal_ = 0;
    } else if (targets.outputGain != gainTo_) {
        gainFrom_ = outputGainAt(gainDone_);
        gainTo_ = targets.outputGain;
        gainDone_ = 0;
        gainTotal_ = glideFrames;
    }
}

void DesignGlide::retargetBand(BandCourse& course, const BandTarget& target, int32_t glideFrames,
                               bool jump) noexcept {
    if (jump) {
        course.from = course.to = target.point;
        course.wetFrom = course.wetTo = target.active ? 1.0 : 0.0;
        course.coefficients = course.end = target.coefficients;
        course.done = course.total = 0;
    } else {
        if (target == course.target)
            return; // keeps its course
        const double wetNow = course.wetAt(course.done);
        const DesignPoint now = course.pointAt(course.done);
        if (!target.active) {
            // Fades out as it sounds now.
            course.from = course.to = now;
            course.end = course.coefficients;
        } else if (wetNow > 0) {
            course.from = now;
            course.to = target.point;
            course.end = target.coefficients;
        } else {
            // Fades in as designed.
            course.from = course.to = target.point;
            course.coefficients = course.end = target.coefficients;
        }
        course.wetFrom = wetNow;
        course.wetTo = target.active ? 1.0 : 0.0;
        course.done = 0;
        course.total = wetNow == course.wetTo && course.from == course.to ? 0 : glideFrames;
        if (course.total == 0)
            course.coefficients = course.end;
    }
    course.target = target;
    course.logFrequencyFrom = std::log(course.from.frequencyHz);
    course.logFrequencyTo = std::log(course.to.frequencyHz);
    course.logQFrom = std::log(course.from.q);
    course.logQTo = std::log(course.to.q);
}

double DesignGlide::outputGainAt(int32_t at) const {
    return gainDone_ >= gainTotal_ ? gainTo_
                                   : lerp(gainFrom_, gainTo_, double(at) / double(gainTotal_));
}

BiquadCoefficients DesignGlide::nextCoefficients(int32_t band, BandCourse& course,
                                                 int32_t n) noexcept {
    const int32_t at = course.done + n;
    if (at >= course.total || course.from == course.to)
        return course.end;
    const DesignPoint point = course.pointAt(at);
    if (point.frequencyHz != course.termsFrequencyHz || point.q != course.termsQ ||
        rateHz_ != course.termsRateHz) {
        course.terms = bandFrequencyTerms(band, point.frequencyHz, point.q, rateHz_);
        course.termsFrequencyHz = point.frequencyHz;
        course.termsQ = point.q;
        course.termsRateHz = rateHz_;
    }
    const BiquadCoefficients designed = designBand(band, point.gainDb, course.terms);
    // Near 0 dB a peak's design may fail: the band then holds its last coefficients.
    return isFiniteAndStable(designed) ? designed : course.coefficients;
}

bool DesignGlide::steadyBand(int32_t band) const noexcept {
    const BandCourse& course = bands_[size_t(band)];
    return course.arrived() && course.wetTo == 1.0;
}

MovingCoefficients DesignGlide::nextMove(int32_t band, int32_t n) noexcept {
    BandCourse& course = bands_[size_t(band)];
    const BiquadCoefficients start = crossFaded(course.coefficients, course.wetAt(course.done));
    const BiquadCoefficients next = nextCoefficients(band, course, n);
    const BiquadCoefficients end = crossFaded(next, course.wetAt(course.done + n));
    course.coefficients = next;
    course.done += n;
    return {start, stepBetween(start, end, n)};
}

int32_t DesignGlide::process(const GlideIo& io,
                             std::array<BiquadState, kNumFilters>& states) noexcept {
    int32_t at = 0;
    while (at < io.frames && gliding()) {
        // Jobs end where a glide arrives, so that it arrives exactly at its design.
        int32_t n = std::min(kMaxMovingFrames, io.frames - at);
        for (const BandCourse& course : bands_)
            if (!course.arrived())
                n = std::min(n, course.total - course.done);
        const bool gainMoves = gainDone_ < gainTotal_;
        if (gainMoves)
            n = std::min(n, gainTotal_ - gainDone_);

        CascadeJob job;
        for (int32_t band = 0; band < kNumBands; ++band) {
            if (!bands_[size_t(band)].runs())
                continue;
            auto& moves = motion_.sections[size_t(job.count)];
            const bool steady = steadyBand(band);
            motion_.steady[size_t(job.count)] = steady;
            if (steady)
                moves[0] = {bands_[size_t(band)].end, {}};
            else
                for (int32_t done = 0, k = 0; done < n; done += kGlideSubBlockFrames, ++k)
                    moves[size_t(k)] = nextMove(band, std::min(kGlideSubBlockFrames, n - done));
            job.left[size_t(job.count)] = &states[size_t(band)];
            job.right[size_t(job.count)] = &states[size_t(band + kNumBands)];
            ++job.count;
        }
        job.outputGain = outputGainAt(gainDone_);
        motion_.outputGainStep = gainMoves ? (gainTo_ - gainFrom_) / gainTotal_ : 0.0;
        job.motion = &motion_;
        job.mono = io.mono;
        job.inL = io.inL + at;
        job.inR = io.inR + at;
        job.outL = io.outL + at;
        job.outR = io.outR + at;
        job.frames = n;
        runCascade(io.kernel, job);
        if (gainMoves)
            gainDone_ += n;
        at += n;
    }
    return at;
}

} // namespace miral
