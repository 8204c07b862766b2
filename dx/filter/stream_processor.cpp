#include "stream_processor.h"

#include "dx/filter/sample_conversion.h"
#include "engine/eq_engine.h"
#include "parameter_mirror.h"

#include <algorithm>
#include <new>

namespace miral::dx {
namespace {

/// The rate and block length announced when the effect is created.
constexpr uint32_t kInitialRateHz = 44100;
constexpr uint32_t kInitialBlock = 64;

} // namespace

StreamProcessor::StreamProcessor(ParameterMirror& mirror) noexcept
    : mirror_(mirror), announcedRate_(kInitialRateHz), announcedBlock_(kInitialBlock) {}

intptr_t StreamProcessor::dispatch(int32_t opcode, intptr_t value, float opt) noexcept {
    return effect_->dispatcher(effect_, opcode, 0, value, nullptr, opt);
}

bool StreamProcessor::allocateChannels(uint32_t frames) noexcept {
    // A failure keeps the buffers there were.
    const size_t count = std::max<uint32_t>(frames, 1);
    std::unique_ptr<float[]> made(new (std::nothrow) float[4 * count]());
    if (!made)
        return false;
    channels_ = std::move(made);
    channelCapacity_ = uint32_t(count);
    return true;
}

void StreamProcessor::announceRateAndResume(uint32_t rate) noexcept {
    if (announcedRate_ != rate) {
        dispatch(effMainsChanged, 0);
        dispatch(effSetSampleRate, 0, static_cast<float>(rate));
        announcedRate_ = rate;
        mirror_.setEffectBypassed(static_cast<float>(rate) < kMinimumSampleRateHz);
    }
    dispatch(effMainsChanged, 1);
}

HRESULT StreamProcessor::begin(const WAVEFORMATEX* input, const WAVEFORMATEX* output,
                               uint32_t frames) noexcept {
    if (effect_ == nullptr || input == nullptr || output == nullptr)
        return E_UNEXPECTED;
    inFormat_ = input;
    const uint32_t wanted = std::max(frames, announcedBlock_);
    if (channelCapacity_ < wanted && !allocateChannels(wanted))
        return E_OUTOFMEMORY;
    announceRateAndResume(input->nSamplesPerSec);
    return S_OK;
}

HRESULT StreamProcessor::end() noexcept {
    if (effect_ != nullptr)
        dispatch(effMainsChanged, 0);
    return S_OK;
}

void StreamProcessor::clearState() noexcept {
    if (effect_ == nullptr)
        return;
    dispatch(effMainsChanged, 0);
    dispatch(effMainsChanged, 1);
}

void StreamProcessor::restart() noexcept {
    if (effect_ == nullptr || inFormat_ == nullptr)
        return;
    if (announcedRate_ == inFormat_->nSamplesPerSec)
        dispatch(effMainsChanged, 0); // announcing a new rate suspends first
    announceRateAndResume(inFormat_->nSamplesPerSec);
}

void StreamProcessor::announceBlock(uint32_t frames) noexcept {
    if (frames == announcedBlock_)
        return;
    // The engine keeps no buffers of its own: the new length needs no suspend, and the band
    // states carry on across the change.
    dispatch(effSetBlockSize, static_cast<intptr_t>(frames));
    announcedBlock_ = frames;
}

HRESULT StreamProcessor::process(const BYTE* source, long& inFrames, BYTE* target, long& outFrames,
                                 Deinterleave deinterleave, Interleave interleave,
                                 size_t inFrameBytes, size_t outFrameBytes) noexcept {
    if (effect_ == nullptr || inFormat_ == nullptr || channelCapacity_ == 0)
        return E_UNEXPECTED;
    const long frames = std::min(inFrames, outFrames);
    const uint32_t n = frames > 0 ? static_cast<uint32_t>(frames) : 0;
    inFrames = outFrames = static_cast<long>(n);

    float* inputs[2] = {channels_.get(), channels_.get() + channelCapacity_};
    float* outputs[2] = {channels_.get() + 2 * channelCapacity_,
                         channels_.get() + 3 * channelCapacity_};
    const int channels = inFormat_->nChannels;
    for (uint32_t done = 0; done < n;) {
        const uint32_t part = std::min(n - done, channelCapacity_);
        announceBlock(part);
        deinterleave(source + done * inFrameBytes, channels, part, inputs[0], inputs[1]);
        effect_->processReplacing(effect_, inputs, outputs, static_cast<int32_t>(part));
        interleave(outputs[0], outputs[1], part, target + done * outFrameBytes);
        done += part;
    }
    return S_OK;
}

HRESULT StreamProcessor::processPcm16(const BYTE* source, long& inFrames, BYTE* target,
                                      long& outFrames) noexcept {
    const size_t channels = inFormat_ != nullptr ? inFormat_->nChannels : 0;
    return process(source, inFrames, target, outFrames, deinterleavePcm16, interleavePcm16,
                   channels * sizeof(int16_t), 2 * sizeof(int16_t));
}

HRESULT StreamProcessor::processFloat32(const BYTE* source, long& inFrames, BYTE* target,
                                        long& outFrames) noexcept {
    const size_t channels = inFormat_ != nullptr ? inFormat_->nChannels : 0;
    return process(source, inFrames, target, outFrames, deinterleaveFloat, interleaveFloat,
                   channels * sizeof(float), 2 * sizeof(float));
}

} // namespace miral::dx
