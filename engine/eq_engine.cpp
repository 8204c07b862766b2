#include "engine/eq_engine.h"

#include "engine/band_design.h"
#include "engine/laws.h"
#include "engine/physical_units.h"
#include "engine/solo_design.h"

#include <algorithm>
#include <cmath>

namespace miral {
namespace {

// Gains far outside the parameter ranges are limited to this many dB per band and for the output
// factor: six bands, the output and the largest float input then stay far inside the double
// range, so extreme settings saturate the output instead of overflowing into infinity.
constexpr double kGainLimitDb = 600.0;

double limitedGainDb(double gainDb) {
    return std::clamp(gainDb, -kGainLimitDb, kGainLimitDb);
}

/// A recursion state that left the finite numbers (a non-finite input sample) starts afresh.
void recoverIfNotFinite(BiquadState& state) {
    if (!std::isfinite(state.w1) || !std::isfinite(state.w2))
        state = BiquadState{};
}

// Longest glide setSmoothingTime accepts.
constexpr double kLongestGlideSeconds = 0.1;

// Frames per pass of the bypass copy and of the solo's copy of the input.
constexpr int32_t kPassChunkFrames = 256;

} // namespace

EqEngine::EqEngine() {
    for (int32_t i = 0; i < kNumParams; ++i)
        paramValues_[size_t(i)].store(kParamTable[size_t(i)].defaultValue,
                                      std::memory_order_relaxed);
    deriveBands();
    gainRange_ = normToGainRange(paramValue(toIndex(ParamId::GainRange)));
    redesignBands();
    redesignSoloFilters();
    publish();
}

bool EqEngine::setParameter(int32_t index, float value) {
    if (isBypassed() || !std::isfinite(value))
        return false;
    if (isValidParamIndex(index))
        paramValues_[size_t(index)].store(value, std::memory_order_relaxed);
    redesignAndPublish();
    return true;
}

void EqEngine::redesignAndPublish() {
    // Any number of threads may get here at once; the one that takes the designer's part works
    // for everyone who arrived before it finishes (their values are stored by then), and looks
    // again when more came meanwhile. No thread waits, and the snapshot exchanges keep one
    // writer.
    redesignRequests_.fetch_add(1);
    while (!designing_.exchange(true)) {
        const uint32_t served = redesignRequests_.load();
        rate_ = static_cast<double>(requestedRate_.load());
        deriveBands();
        gainRange_ = normToGainRange(paramValue(toIndex(ParamId::GainRange)));
        redesignBands();
        redesignSoloFilters();
        const float outputValue = paramValue(toIndex(ParamId::OutputGain));
        const double outputDb = normToOutputGainDb(outputValue);
        const double factor = std::fabs(outputDb) > kGainLimitDb
                                  ? std::pow(10.0, 0.05 * limitedGainDb(outputDb))
                                  : normToOutputFactor(outputValue);
        if (std::isfinite(factor)) {
            outputGainDb_ = outputDb;
            outputGain_ = factor;
        }
        publish();
        designing_.store(false);
        if (redesignRequests_.load() == served)
            return;
    }
}

float EqEngine::getParameter(int32_t index) const {
    return isValidParamIndex(index) ? paramValue(index) : 0.0f;
}

float EqEngine::displayValue(int32_t index) const {
    // The stored value through its kind's law: what the band records and the output stage
    // derive from it, without reading the designer's data.
    return isValidParamIndex(index) ? static_cast<float>(normToPhysical(index, paramValue(index)))
                                    : 0.0f;
}

bool EqEngine::setSampleRate(float sampleRateHz) {
    if (!std::isfinite(sampleRateHz))
        return false;
    requestedRate_.store(sampleRateHz);
    if (sampleRateHz < kMinimumSampleRateHz) {
        bypassed_.store(true, std::memory_order_relaxed);
        return true;
    }
    bypassed_.store(false, std::memory_order_relaxed);
    redesignAndPublish();
    return true;
}

void EqEngine::setBlockSize(int32_t) {}

void EqEngine::resume() noexcept {
    states_.fill(BiquadState{});
    jumpNext_ = true;
}

void EqEngine::setSmoothingTime(double seconds) {
    const double limited =
        std::isfinite(seconds) ? std::clamp(seconds, 0.0, kLongestGlideSeconds) : 0.0;
    smoothingSeconds_.store(static_cast<float>(limited), std::memory_order_relaxed);
}

void EqEngine::setSolo(int32_t band) {
    soloBand_.store(band >= 0 && band < kNumBands ? band : -1, std::memory_order_relaxed);
}

bool EqEngine::useKernel(CascadeKernel kernel) {
    if (!isCascadeKernelAvailable(kernel))
        return false;
    kernel_ = kernel;
    return true;
}

void EqEngine::deriveBands() {
    for (int32_t band = 0; band < kNumBands; ++band) {
        EqBand& record = bands_[size_t(band)];
        record.gainDb = normToGainDb(paramValue(bandParamIndex(band, BandParamKind::Gain)));
        record.frequencyHz =
            normToFrequencyHz(paramValue(bandParamIndex(band, BandParamKind::Frequency)), band);
        record.q = normToQ(paramValue(bandParamIndex(band, BandParamKind::Q)));
        record.enabled = normToEnabled(paramValue(bandParamIndex(band, BandParamKind::OnOff)));
    }
}

void EqEngine::redesignBands() {
    for (int32_t band = 0; band < kNumBands; ++band) {
        EqBand& record = bands_[size_t(band)];
        if (record.gainDb == 0.0)
            continue; // a flat band keeps its last design and does not run
        const DesignInputs inputs{record.gainDb, record.frequencyHz, record.q, gainRange_, rate_};
        if (designedFrom_[size_t(band)] == inputs)
            continue; // the design would come out the same
        designedFrom_[size_t(band)] = inputs;
        if (!(record.frequencyHz > 0.0 && record.frequencyHz < rate_ / 2))
            continue; // extrapolated beyond Nyquist: keep the last working design
        const DesignPoint point{limitedGainDb(record.gainDb * gainRange_), record.frequencyHz,
                                record.q};
        const BiquadCoefficients designed =
            designBand(band, point.gainDb, point.frequencyHz, point.q, rate_);
        if (!isFiniteAndStable(designed))
            continue; // out-of-range settings never replace a working design
        record.coefficients = designed;
        record.designed = true;
        designPoints_[size_t(band)] = point;
    }
}

void EqEngine::redesignSoloFilters() {
    for (int32_t band = 0; band < kNumBands; ++band) {
        const EqBand& record = bands_[size_t(band)];
        const BiquadCoefficients designed = designSolo(band, record.frequencyHz, record.q, rate_);
        if (isFiniteAndStable(designed))
            soloFilters_[size_t(band)] = designed;
    }
}

void EqEngine::publish() {
    ProcessingSnapshot& next = published_.back();
    int32_t count = 0;
    for (int32_t band = 0; band < kNumBands; ++band) {
        if (!bands_[size_t(band)].isActive())
            continue;
        next.sections[size_t(count)] = bands_[size_t(band)].coefficients;
        next.bandOfSection[size_t(count)] = band;
        ++count;
    }
    next.sectionCount = count;
    next.outputGain = outputGain_;
    next.soloFilters = soloFilters_;
    for (size_t band = 0; band < bands_.size(); ++band)
        next.targets.bands[band] = {bands_[band].coefficients, designPoints_[band],
                                    bands_[band].isActive()};
    next.targets.outputGain = outputGain_;
    next.targets.sampleRateHz = rate_;
    next.generation = ++generation_;
    published_.publish();

    EqDesign& shown = displayed_.back();
    shown.bands = bands_;
    shown.outputGain = outputGain_;
    shown.sampleRateHz = rate_;
    displayed_.publish();
}

void EqEngine::processReplacing(const float* const* inputs, float* const* outputs,
                                int32_t frames) noexcept {
    if (frames <= 0)
        return;
    if (isBypassed()) {
        passThrough(inputs, outputs, frames);
        return;
    }
    const ProcessingSnapshot& design = published_.acquire();
    const bool mono = inputs[0] == inputs[1];
    const auto glideFrames = static_cast<int32_t>(std::lround(
        double(smoothingSeconds_.load(std::memory_order_relaxed)) * design.targets.sampleRateHz));
    const bool jump = jumpNext_;
    if (design.generation != seenGeneration_ || jumpNext_ ||
        (glideFrames == 0 && glide_.gliding())) {
        glide_.retarget(design.targets, glideFrames, jumpNext_);
        seenGeneration_ = design.generation;
        jumpNext_ = false;
    }
    // Soloing fades also where parameter changes do not glide.
    const int32_t soloFadeFrames =
        glideFrames > 0 ? glideFrames
                        : static_cast<int32_t>(
                              std::lround(kDefaultSmoothingSeconds * design.targets.sampleRateHz));
    const int32_t soloBand = solo();
    solo_.retarget(soloBand, design.soloFilters[size_t(std::max(soloBand, 0))], soloFadeFrames,
                   jump);
    if (solo_.sounds())
        filterWithSolo(design, inputs, outputs, frames, mono);
    else
        filter(design, inputs, outputs, frames, mono);
}

void EqEngine::filterWithSolo(const ProcessingSnapshot& design, const float* const* inputs,
                              float* const* outputs, int32_t frames, bool mono) noexcept {
    // The equaliser goes on running underneath, so that ending the solo fades back into a
    // filter that has heard the signal all along.
    float left[kPassChunkFrames];
    float right[kPassChunkFrames];
    for (int32_t done = 0; done < frames; done += kPassChunkFrames) {
        const int32_t n = std::min(kPassChunkFrames, frames - done);
        std::copy_n(inputs[0] + done, n, left);
        if (!mono)
            std::copy_n(inputs[1] + done, n, right);
        const float* const in[2] = {inputs[0] + done, inputs[1] + done};
        float* const out[2] = {outputs[0] + done, outputs[1] + done};
        filter(design, in, out, n, mono);
        solo_.mix(left, mono ? left : right, out[0], out[1], mono, n);
    }
}

void EqEngine::filter(const ProcessingSnapshot& design, const float* const* inputs,
                      float* const* outputs, int32_t frames, bool mono) noexcept {
    int32_t start = 0;
    if (glide_.gliding()) {
        start = glide_.process(
            {inputs[0], inputs[1], outputs[0], outputs[1], mono, frames, kernel_}, states_);
        std::for_each(states_.begin(), states_.end(), recoverIfNotFinite);
        if (start == frames) {
            clearIdleStates(design);
            return;
        }
    }
    // The published design, from where any glide arrived.
    CascadeJob job;
    job.sections = design.sections.data();
    job.count = design.sectionCount;
    for (int32_t s = 0; s < design.sectionCount; ++s) {
        const auto band = static_cast<size_t>(design.bandOfSection[size_t(s)]);
        job.left[size_t(s)] = &states_[band];
        job.right[size_t(s)] = &states_[band + kNumBands];
    }
    job.outputGain = design.outputGain;
    job.mono = mono;
    job.inL = inputs[0] + start;
    job.inR = inputs[1] + start;
    job.outL = outputs[0] + start;
    job.outR = outputs[1] + start;
    job.frames = frames - start;
    runCascade(kernel_, job);
    for (int32_t s = 0; s < design.sectionCount; ++s) {
        recoverIfNotFinite(*job.left[size_t(s)]);
        recoverIfNotFinite(*job.right[size_t(s)]);
    }
    clearIdleStates(design);
}

void EqEngine::clearIdleStates(const ProcessingSnapshot& design) noexcept {
    std::array<bool, kNumBands> runs{};
    if (glide_.gliding()) {
        for (int32_t band = 0; band < kNumBands; ++band)
            runs[size_t(band)] = glide_.bandRuns(band);
    } else {
        for (int32_t s = 0; s < design.sectionCount; ++s)
            runs[size_t(design.bandOfSection[size_t(s)])] = true;
    }
    for (int32_t band = 0; band < kNumBands; ++band) {
        if (runs[size_t(band)])
            continue;
        states_[size_t(band)] = BiquadState{};
        states_[size_t(band + kNumBands)] = BiquadState{};
    }
}

void EqEngine::passThrough(const float* const* inputs, float* const* outputs,
                           int32_t frames) noexcept {
    // Each pass reads both inputs before writing, so outputs may be the inputs, also crossed.
    float left[kPassChunkFrames];
    float right[kPassChunkFrames];
    for (int32_t done = 0; done < frames; done += kPassChunkFrames) {
        const int32_t n = std::min(kPassChunkFrames, frames - done);
        std::copy_n(inputs[0] + done, n, left);
        std::copy_n(inputs[1] + done, n, right);
        std::copy_n(left, n, outputs[0] + done);
        std::copy_n(right, n, outputs[1] + done);
    }
}

} // namespace miral
