#include "engine/design_glide.h"

#include "engine/band_design.h"
#include "saturated_narrowing.h"

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

/// runBand's recursion with coefficients that move by `step` before every sample, both channels
/// in one pass (their recursions overlap).
template <bool Stereo>
void runMovingSection(BiquadCoefficients c, const BiquadCoefficients& step, BiquadState& left,
                      BiquadState& right, double* l, double* r, int32_t n) noexcept {
    double l1 = left.w1, l2 = left.w2, r1 = right.w1, r2 = right.w2;
    for (int32_t i = 0; i < n; ++i) {
        c.b0 += step.b0;
        c.b1 += step.b1;
        c.b2 += step.b2;
        c.a1 += step.a1;
        c.a2 += step.a2;
        const double wl = (l[i] + kDenormalOffset) - (c.a2 * l2 + c.a1 * l1);
        l[i] = c.b2 * l2 + c.b0 * wl + c.b1 * l1;
        l2 = l1;
        l1 = wl;
        if constexpr (Stereo) {
            const double wr = (r[i] + kDenormalOffset) - (c.a2 * r2 + c.a1 * r1);
            r[i] = c.b2 * r2 + c.b0 * wr + c.b1 * r1;
            r2 = r1;
            r1 = wr;
        }
    }
    left = {l1, l2};
    if constexpr (Stereo)
        right = {r1, r2};
}

/// `n` doubles into floats as narrowSaturated does, two at a time.
void narrowAll(const double* from, float* to, int32_t n) noexcept {
    int32_t i = 0;
    for (; i + 2 <= n; i += 2)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to + i),
                         _mm_castps_si128(narrowSaturated(_mm_loadu_pd(from + i))));
    for (; i < n; ++i)
        to[i] = narrowSaturated(from[i]);
}

void widenAll(const float* from, double* to, int32_t n) noexcept {
    int32_t i = 0;
    for (; i + 2 <= n; i += 2)
        _mm_storeu_pd(to + i, _mm_cvtps_pd(_mm_castsi128_ps(
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + i)))));
    for (; i < n; ++i)
        to[i] = from[i];
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

void DesignGlide::runBandSubBlock(int32_t band, bool mono, double* left, double* right, int32_t n,
                                  std::array<BiquadState, kNumFilters>& states) noexcept {
    BandCourse& course = bands_[size_t(band)];
    BiquadState& leftState = states[size_t(band)];
    BiquadState& rightState = states[size_t(band + kNumBands)];
    const bool moving = !course.arrived();
    const double wetStart = course.wetAt(course.done);
    const double wetEnd = moving ? course.wetAt(course.done + n) : course.wetTo;
    const bool mixes = wetStart < 1.0 || wetEnd < 1.0;

    double dryLeft[kGlideSubBlockFrames];
    double dryRight[kGlideSubBlockFrames];
    if (mixes) {
        std::copy_n(left, n, dryLeft);
        if (!mono)
            std::copy_n(right, n, dryRight);
    }

    const BiquadCoefficients next = moving ? nextCoefficients(band, course, n) : course.end;
    if (next == course.coefficients) {
        runBand(next, leftState, left, n);
        if (!mono)
            runBand(next, rightState, right, n);
    } else {
        const BiquadCoefficients step = stepBetween(course.coefficients, next, n);
        if (mono)
            runMovingSection<false>(course.coefficients, step, leftState, rightState, left, right,
                                    n);
        else
            runMovingSection<true>(course.coefficients, step, leftState, rightState, left, right,
                                   n);
    }
    course.coefficients = next;

    if (mixes) {
        const double wetStep = (wetEnd - wetStart) / n;
        for (int32_t i = 0; i < n; ++i) {
            const double wet = wetStart + wetStep * (i + 1);
            left[i] = dryLeft[i] + wet * (left[i] - dryLeft[i]);
            if (!mono)
                right[i] = dryRight[i] + wet * (right[i] - dryRight[i]);
        }
    }
    if (moving)
        course.done += n;
}

bool DesignGlide::steady(int32_t band) const noexcept {
    const BandCourse& course = bands_[size_t(band)];
    return course.arrived() && course.wetTo == 1.0;
}

void DesignGlide::glideBand(int32_t band, bool mono, double* left, double* right, int32_t n,
                            std::array<BiquadState, kNumFilters>& states) noexcept {
    for (int32_t done = 0; done < n; done += kGlideSubBlockFrames)
        runBandSubBlock(band, mono, left + done, right + done,
                        std::min(kGlideSubBlockFrames, n - done), states);
}

int32_t DesignGlide::runSteadyBands(int32_t first, const GlideIo& io, double* left, double* right,
                                    int32_t n,
                                    std::array<BiquadState, kNumFilters>& states) const noexcept {
    std::array<BiquadCoefficients, kNumBands> sections{};
    CascadeJob job;
    int32_t band = first;
    for (; band < kNumBands; ++band) {
        if (!bands_[size_t(band)].runs())
            continue;
        if (!steady(band))
            break;
        sections[size_t(job.count)] = bands_[size_t(band)].end;
        job.left[size_t(job.count)] = &states[size_t(band)];
        job.right[size_t(job.count)] = &states[size_t(band + kNumBands)];
        ++job.count;
    }
    // The kernel takes and gives floats.
    float l[kGlideChunkFrames];
    float r[kGlideChunkFrames];
    narrowAll(left, l, n);
    if (!io.mono)
        narrowAll(right, r, n);
    job.sections = sections.data();
    job.mono = io.mono;
    job.inL = job.outL = l;
    job.inR = job.outR = r;
    job.frames = n;
    runCascade(io.kernel, job);
    widenAll(l, left, n);
    if (!io.mono)
        widenAll(r, right, n);
    return band;
}

int32_t DesignGlide::process(const GlideIo& io,
                             std::array<BiquadState, kNumFilters>& states) noexcept {
    double left[kGlideChunkFrames];
    double right[kGlideChunkFrames];
    int32_t at = 0;
    while (at < io.frames && gliding()) {
        // Chunks end where a glide arrives, so that it arrives exactly at its design.
        int32_t n = std::min(kGlideChunkFrames, io.frames - at);
        for (const BandCourse& course : bands_)
            if (!course.arrived())
                n = std::min(n, course.total - course.done);
        if (gainDone_ < gainTotal_)
            n = std::min(n, gainTotal_ - gainDone_);

        // Every input sample is read before any output is written, so outputs may alias inputs.
        widenAll(io.inL + at, left, n);
        if (!io.mono)
            widenAll(io.inR + at, right, n);

        for (int32_t band = 0; band < kNumBands;) {
            if (!bands_[size_t(band)].runs()) {
                ++band;
            } else if (steady(band)) {
                band = runSteadyBands(band, io, left, right, n, states);
            } else {
                glideBand(band, io.mono, left, right, n, states);
                ++band;
            }
        }

        for (int32_t i = 0; i < n; ++i) {
            const double gain = outputGainAt(gainDone_ + i + 1);
            io.outL[at + i] = narrowSaturated(left[i] * gain);
            io.outR[at + i] = io.mono ? io.outL[at + i] : narrowSaturated(right[i] * gain);
        }
        if (gainDone_ < gainTotal_)
            gainDone_ += n;
        at += n;
    }
    return at;
}

} // namespace miral
