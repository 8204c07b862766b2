#include "engine/eq_engine.h"

#include "engine/band_design.h"
#include "engine/laws.h"
#include "platform/notice.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace miral {

EqEngine::EqEngine() : bufferL_(kDefaultWorkFrames, 0.0), bufferR_(kDefaultWorkFrames, 0.0) {
    for (int32_t i = 0; i < kNumParams; ++i)
        paramValues_[i] = kParamTable[i].defaultValue;
    deriveBands();
    gainRange_ = normToGainRange(paramValues_[toIndex(ParamId::GainRange)]);
    redesignBands();
    publish();
}

bool EqEngine::setParameter(int32_t index, float value) {
    if (isBypassed() || !std::isfinite(value))
        return false;
    if (isValidParamIndex(index))
        paramValues_[index] = value;

    deriveBands();
    gainRange_ = normToGainRange(paramValues_[toIndex(ParamId::GainRange)]);
    redesignBands();

    const float outputValue = paramValues_[toIndex(ParamId::OutputGain)];
    const double factor = normToOutputFactor(outputValue);
    if (std::isfinite(factor)) {
        outputGainDb_ = normToOutputGainDb(outputValue);
        outputGain_ = factor;
    }
    publish();
    return true;
}

float EqEngine::getParameter(int32_t index) const {
    return isValidParamIndex(index) ? paramValues_[index] : 0.0f;
}

float EqEngine::displayValue(int32_t index) const {
    if (!isValidParamIndex(index))
        return 0.0f;
    if (index == toIndex(ParamId::GainRange))
        return paramValues_[index];
    if (index == toIndex(ParamId::OutputGain))
        return static_cast<float>(outputGainDb_);
    const EqBand& record = bands_[bandOfParam(index)];
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return static_cast<float>(record.gainDb);
    case BandParamKind::Frequency:
        return static_cast<float>(record.frequencyHz);
    case BandParamKind::Q:
        return static_cast<float>(record.q);
    case BandParamKind::OnOff:
        return record.enabled != 0 ? 1.0f : 0.0f;
    }
    return 0.0f;
}

void EqEngine::setSampleRate(float sampleRateHz) {
    rate_ = sampleRateHz;
    if (sampleRateHz < kMinimumSampleRateHz) {
        platform::showNotice(kBypassNoticeText, kBypassNoticeCaption);
        bypassed_.store(true, std::memory_order_relaxed);
        return;
    }
    bypassed_.store(false, std::memory_order_relaxed);
    redesignBands();
    publish();
}

void EqEngine::setBlockSize(int32_t frames) {
    blockSize_ = frames;
    const auto length = static_cast<size_t>(frames > 0 ? frames : kDefaultWorkFrames);
    try {
        std::vector<double> left(length, 0.0);
        std::vector<double> right(length, 0.0);
        bufferL_.swap(left);
        bufferR_.swap(right);
    } catch (const std::bad_alloc&) {
        // Keep the previous buffers: processing goes on in chunks of their length.
    } catch (const std::length_error&) {
    }
}

void EqEngine::resume() noexcept {
    states_.fill(BiquadState{});
    std::fill(bufferL_.begin(), bufferL_.end(), 0.0);
    std::fill(bufferR_.begin(), bufferR_.end(), 0.0);
}

void EqEngine::deriveBands() {
    for (int32_t band = 0; band < kNumBands; ++band) {
        EqBand& left = bands_[band];
        left.gainDb = normToGainDb(paramValues_[bandParamIndex(band, BandParamKind::Gain)]);
        left.frequencyHz =
            normToFrequencyHz(paramValues_[bandParamIndex(band, BandParamKind::Frequency)], band);
        left.q = normToQ(paramValues_[bandParamIndex(band, BandParamKind::Q)]);
        left.enabled = normToEnabled(paramValues_[bandParamIndex(band, BandParamKind::OnOff)]);

        EqBand& right = bands_[band + kNumBands];
        right.gainDb = left.gainDb;
        right.frequencyHz = left.frequencyHz;
        right.q = left.q;
        right.enabled = left.enabled;
    }
}

void EqEngine::redesignBands() {
    for (int32_t band = 0; band < kNumBands; ++band) {
        const EqBand& left = bands_[band];
        if (left.gainDb == 0.0)
            continue; // a flat band keeps its last design and does not run
        if (!(left.frequencyHz > 0.0 && left.frequencyHz < rate_ / 2))
            continue; // extrapolated beyond Nyquist: keep the last working design
        const double designGainDb = left.gainDb * gainRange_;
        BiquadCoefficients designed;
        if (band == 0)
            designed = designLowShelf(designGainDb, left.frequencyHz, rate_);
        else if (band == kNumBands - 1)
            designed = designHighShelf(designGainDb, left.frequencyHz, rate_);
        else
            designed =
                designPeak(designGainDb, left.frequencyHz, left.frequencyHz * (1 / left.q), rate_);
        if (!isFiniteAndStable(designed))
            continue; // out-of-range settings never replace a working design
        for (EqBand* record : {&bands_[band], &bands_[band + kNumBands]}) {
            record->coefficients = designed;
            record->designed = true;
        }
    }
}

void EqEngine::publish() {
    ProcessingSnapshot& next = published_.back();
    for (int32_t band = 0; band < kNumBands; ++band) {
        next.coefficients[band] = bands_[band].coefficients;
        next.active[band] = bands_[band].isActive();
    }
    next.outputGain = outputGain_;
    published_.publish();
}

void EqEngine::processReplacing(const float* const* inputs, float* const* outputs,
                                int32_t frames) noexcept {
    if (isBypassed() || frames <= 0)
        return;
    const ProcessingSnapshot& design = published_.acquire();
    const bool mono = inputs[0] == inputs[1];
    const int32_t chunkFrames = workFrames();
    for (int32_t done = 0; done < frames; done += chunkFrames) {
        const int32_t n = std::min(chunkFrames, frames - done);
        processChunk(design, mono, inputs[0] + done, inputs[1] + done, outputs[0] + done,
                     outputs[1] + done, n);
    }
}

void EqEngine::processChunk(const ProcessingSnapshot& design, bool mono, const float* inL,
                            const float* inR, float* outL, float* outR, int32_t frames) noexcept {
    double* left = bufferL_.data();
    double* right = bufferR_.data();

    // Every input sample is read before any output is written, so outputs may alias inputs.
    for (int32_t i = 0; i < frames; ++i)
        left[i] = inL[i];
    if (!mono)
        for (int32_t i = 0; i < frames; ++i)
            right[i] = inR[i];

    for (int32_t band = 0; band < kNumBands; ++band)
        if (design.active[band])
            runBand(design.coefficients[band], states_[band], left, frames);
    if (!mono)
        for (int32_t band = 0; band < kNumBands; ++band)
            if (design.active[band])
                runBand(design.coefficients[band], states_[band + kNumBands], right, frames);

    const double gain = design.outputGain;
    for (int32_t i = 0; i < frames; ++i)
        outL[i] = static_cast<float>(left[i] * gain);
    if (mono)
        for (int32_t i = 0; i < frames; ++i)
            outR[i] = outL[i];
    else
        for (int32_t i = 0; i < frames; ++i)
            outR[i] = static_cast<float>(right[i] * gain);
}

} // namespace miral
