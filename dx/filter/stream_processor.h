#pragma once

// The streaming half of the filter's effect: starts, stops and restarts it, announces rates
// and block lengths, and converts and processes the audio of each media sample through the
// effect's processReplacing.
//
// Threads: every call under the filter's streaming lock. The channel buffers are made when
// streaming starts, for the longest block the output buffers can take: processing allocates
// nothing (a longer block than that is processed in parts).

#include "vst2/vst2_interface.h"

#include "dx/framework/windows_api.h"

#include <mmreg.h>

#include <cstdint>
#include <memory>

namespace miral::dx {

class ParameterMirror;

class StreamProcessor {
public:
    /// `mirror` learns when the effect is bypassed. 44100 Hz and 64 frames announced.
    explicit StreamProcessor(ParameterMirror& mirror) noexcept;
    StreamProcessor(const StreamProcessor&) = delete;
    StreamProcessor& operator=(const StreamProcessor&) = delete;

    /// The effect it streams through, just opened (44100 Hz and 64 frames announced); null
    /// detaches.
    void attach(AEffect* effect) noexcept { effect_ = effect; }

    /// Keeps the formats (borrowed), makes channel buffers of `frames`, announces a changed
    /// rate and resumes.
    HRESULT begin(const WAVEFORMATEX* input, const WAVEFORMATEX* output, uint32_t frames) noexcept;
    /// Suspends the effect.
    HRESULT end() noexcept;
    /// Suspend and resume: clears the filter states, for a stream that restarts after a flush.
    void clearState() noexcept;
    /// A new format mid-stream (the format copies given to begin have changed): suspends,
    /// announces the rate if it changed, resumes.
    void restart() noexcept;

    /// Converts min(inFrames, outFrames) frames of 16-bit (or float) interleaved input, mono or
    /// stereo, processes them and writes stereo output; both counts become the frames done.
    /// A block length other than the last is announced (effSetBlockSize alone: the band states
    /// carry on).
    HRESULT processPcm16(const BYTE* source, long& inFrames, BYTE* target,
                         long& outFrames) noexcept;
    HRESULT processFloat32(const BYTE* source, long& inFrames, BYTE* target,
                           long& outFrames) noexcept;

private:
    using Deinterleave = void (*)(const uint8_t*, int, size_t, float*, float*) noexcept;
    using Interleave = void (*)(const float*, const float*, size_t, uint8_t*) noexcept;

    intptr_t dispatch(int32_t opcode, intptr_t value = 0, float opt = 0.0f) noexcept;
    bool allocateChannels(uint32_t frames) noexcept;
    void announceBlock(uint32_t frames) noexcept;
    /// Suspend and the rate when it differs from the announced one, then resume.
    void announceRateAndResume(uint32_t rate) noexcept;
    HRESULT process(const BYTE* source, long& inFrames, BYTE* target, long& outFrames,
                    Deinterleave deinterleave, Interleave interleave, size_t inFrameBytes,
                    size_t outFrameBytes) noexcept;

    ParameterMirror& mirror_;
    AEffect* effect_ = nullptr;
    const WAVEFORMATEX* inFormat_ = nullptr;
    std::unique_ptr<float[]> channels_; ///< input left, right, output left, right
    uint32_t channelCapacity_ = 0;      ///< frames in each of the four
    uint32_t announcedRate_;
    uint32_t announcedBlock_;
};

} // namespace miral::dx
