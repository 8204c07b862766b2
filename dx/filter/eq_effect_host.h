#pragma once

// The filter's side of the effect: it plays the VST 2 host towards the equaliser, keeps the
// 26-value parameter mirror that COM clients read and write (IEqParameters), lists and applies
// the factory programs (IEqPrograms), saves and loads the mirror as the filter's 124-byte
// stream record (IPersistStream), tells advised windows about changes, and converts and
// processes the audio of each media sample (the record and the conversions are units of
// their own).
//
// Part of its filter: QueryInterface, AddRef and Release are the filter's.
//
// Threads: parameters, programs and persistence on application and user-interface threads;
// the lock guards the mirror's bulk operations and the window entries. The streaming half
// (beginStreaming, endStreaming, process*) runs under the filter's streaming lock, and
// processReplacing runs without the parameter lock (the engine hands each redesign over whole).

#include "dx/filter/eq_interfaces.h"
#include "dx/framework/critical_section.h"
#include "vst2/vst2_interface.h"

#include <objidl.h>

#include <array>
#include <atomic>
#include <memory>

class ParametricEqEdit;

namespace miral::dx {

class EqEffectHost : public IEqParameters, public IEqPrograms, public IPersistStream {
public:
    /// owner: the filter's controlling IUnknown. The mirror starts zeroed, unsaved clear, no
    /// windows, no formats, 44100 Hz and 64 frames announced.
    explicit EqEffectHost(IUnknown& owner) noexcept;
    ~EqEffectHost();
    EqEffectHost(const EqEffectHost&) = delete;
    EqEffectHost& operator=(const EqEffectHost&) = delete;

    /// Creates the effect with `callback` as its host and `user` in its record, opens it,
    /// announces 44100 Hz and 64 frames, builds the process's program table if needed and
    /// applies program 0 through SetParameters. E_OUTOFMEMORY when it cannot be created.
    HRESULT openEffect(audioMasterCallback callback, void* user) noexcept;
    /// Suspends and closes the effect; nothing without one.
    void closeEffect() noexcept;
    AEffect* effect() const noexcept { return effect_; }

    /// The automate callback: mirror entry `index` from the effect. Indices outside 0..25 do
    /// nothing. Any thread, no lock.
    void pullParameter(int32_t index) noexcept;
    /// Format copy for input (0) or output (1), or null while none is set; then posts the
    /// format notice to the advised windows.
    void setFormat(int which, const WAVEFORMATEX* format) noexcept;
    /// Posts WM_COMMAND with `code` to each advised window; windows that no longer exist are
    /// dropped from the table.
    void notifyWindows(int code) noexcept;

    // --- Streaming half: streaming lock held by the caller.
    /// Stores the formats, makes the channel buffers, announces a changed rate, resumes.
    HRESULT beginStreaming(const WAVEFORMATEX* input, const WAVEFORMATEX* output) noexcept;
    /// Suspends the effect.
    HRESULT endStreaming() noexcept;
    /// Suspend and resume: clears the filter states, for a stream that restarts after a flush.
    void clearStreamState() noexcept;
    /// A new format mid-stream (the format copies given to beginStreaming have changed):
    /// suspends, announces the rate if it changed, resumes.
    void restartStream() noexcept;
    /// Converts min(inFrames, outFrames) frames of 16-bit (or float) interleaved input, mono or
    /// stereo, processes them and writes stereo output; both counts become the frames done.
    /// A block length other than the last is announced (effSetBlockSize alone: the band states
    /// carry on); the channel buffers grow, and only grow, when a longer block arrives.
    HRESULT processPcm16(const BYTE* source, long& inFrames, BYTE* target,
                         long& outFrames) noexcept;
    HRESULT processFloat32(const BYTE* source, long& inFrames, BYTE* target,
                           long& outFrames) noexcept;

    // IUnknown: the owner's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IEqParameters
    HRESULT STDMETHODCALLTYPE GetParameters(float* values) override;
    HRESULT STDMETHODCALLTYPE SetParameters(const float* values) override;
    HRESULT STDMETHODCALLTYPE GetFormat(WAVEFORMATEX* format, long which) override;
    HRESULT STDMETHODCALLTYPE GetEffect(AEffect** effect) override;
    float STDMETHODCALLTYPE GetParameter(long index) override;
    HRESULT STDMETHODCALLTYPE SetParameter(long index, float value) override;
    HRESULT STDMETHODCALLTYPE AdviseWindow(HWND window, long identifier) override;

    // IEqPrograms
    HRESULT STDMETHODCALLTYPE GetProgramCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetProgramName(long index, wchar_t* name, long capacity) override;
    HRESULT STDMETHODCALLTYPE SelectProgram(long index) override;

    // IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    struct AdvisedWindow {
        HWND window = nullptr;
        long identifier = 0;
    };
    /// Float channel buffers of one direction.
    struct ChannelPair {
        std::unique_ptr<float[]> left;
        std::unique_ptr<float[]> right;
    };

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0,
                      float opt = 0.0f) noexcept;
    /// Clamps, stores and pushes 26 values; lock held.
    void applyParameters(const float* values) noexcept;
    bool allocateChannels(uint32_t frames) noexcept;
    /// Announces a block length that differs from the last one.
    bool announceBlock(uint32_t frames) noexcept;
    /// Suspend and the rate when it differs from the announced one, then resume.
    void announceRateAndResume(uint32_t rate) noexcept;
    using Deinterleave = void (*)(const uint8_t*, int, size_t, float*, float*) noexcept;
    using Interleave = void (*)(const float*, const float*, size_t, uint8_t*) noexcept;
    HRESULT process(const BYTE* source, long& inFrames, BYTE* target, long& outFrames,
                    Deinterleave deinterleave, Interleave interleave) noexcept;

    IUnknown& owner_;
    CriticalSection lock_;
    std::array<std::atomic<float>, kEqParameterCount> params_;
    std::atomic<bool> unsaved_{false};
    std::array<AdvisedWindow, 2> windows_{};

    // Streaming state.
    std::array<WAVEFORMATEX, 2> formats_{};
    std::array<bool, 2> formatSet_{};
    const WAVEFORMATEX* inFormat_ = nullptr;
    const WAVEFORMATEX* outFormat_ = nullptr;
    ChannelPair inBuffers_;
    ChannelPair outBuffers_;
    uint32_t announcedRate_ = 44100;
    uint32_t announcedBlock_ = 64;
    uint32_t channelCapacity_ = 0; ///< floats in each channel buffer

    ParametricEqEdit* object_ = nullptr;
    AEffect* effect_ = nullptr;
};

} // namespace miral::dx
