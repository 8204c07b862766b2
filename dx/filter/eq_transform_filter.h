#pragma once

// TK_MIRAL_DX's filter: a DirectShow audio transform that equalises 16-bit PCM or 32-bit float
// audio, mono or stereo in, always stereo out at the same rate and sample format, with the
// effect of miral_vst hosted by its EqEffectHost.
//
// Interfaces beyond the transform filter's: IEqParameters, IEqPrograms and IPersistStream (the
// effect host's parts), ISpecifyPropertyPages (the filter's property page), IAMovieSetup (its entry
// in the filter mapper).
//
// Threads: see TransformFilter. receive runs on the upstream streaming thread under the
// streaming lock; parameter and program changes may arrive meanwhile from other threads.

#include "dx/framework/transform_filter.h"
#include "eq_effect_host.h"

#include "dx/framework/windows_api.h"

#include <ocidl.h>

namespace miral::dx {

class EqTransformFilter;

/// The filter's input pin: takes an input type that would change the connected output only
/// when the downstream pin accepts the new stereo type.
class EqInputPin final : public TransformInputPin {
public:
    explicit EqInputPin(EqTransformFilter& filter) noexcept;
    HRESULT checkMediaType(const AM_MEDIA_TYPE& type) override;

private:
    EqTransformFilter& eqFilter_;
};

class EqTransformFilter final : public TransformFilter,
                                public ISpecifyPropertyPages,
                                public IAMovieSetup {
public:
    /// result: S_OK, or E_OUTOFMEMORY when the effect could not be created (the object is then
    /// to be released without being handed out).
    EqTransformFilter(IUnknown* outer, HRESULT& result) noexcept;
    ~EqTransformFilter() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        return owner()->QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner()->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner()->Release(); }
    /// IEqParameters, ISpecifyPropertyPages, IPersistStream, IEqPrograms, IAMovieSetup, then the
    /// base's.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;

    /// One page, the filter's property page.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    /// The filter's entry in the filter mapper, as the server's registration makes it (an
    /// earlier entry replaced), and its removal (an entry already gone counts as removed).
    HRESULT STDMETHODCALLTYPE Register() override;
    HRESULT STDMETHODCALLTYPE Unregister() override;

    // --- The transform's decisions (media-type rules in eq_media_types.h).
    HRESULT checkInputType(const AM_MEDIA_TYPE& input) override;
    HRESULT checkTransform(const AM_MEDIA_TYPE& input, const AM_MEDIA_TYPE& output) override;
    /// Position 0: the stereo variant of the input type.
    HRESULT getMediaType(int position, MediaType& type) override;
    /// Keeps the normalised format and tells the advised windows.
    HRESULT setMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE& type) override;
    /// A new input type the connected output cannot carry reconnects the output.
    HRESULT completeConnect(PIN_DIRECTION direction, IPin* peer) override;
    HRESULT breakConnect(PIN_DIRECTION direction) override;
    /// The input buffers' size, doubled for mono to stereo, with the downstream pin's
    /// alignment, prefix and buffer count; less than 512 bytes fails.
    HRESULT decideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    HRESULT startStreaming() override;
    HRESULT stopStreaming() override;
    /// Converts, processes and delivers the input over as many output samples as it needs,
    /// each with its share of the input's times; the first carries the input's flags. Ends at
    /// the first delivery that does not answer S_OK.
    HRESULT receive(IMediaSample* sample) override;
    /// After a flush the stream restarts elsewhere: the effect's filter states are cleared (not
    /// while stopped: the effect stays suspended until streaming starts).
    HRESULT endFlush() override;
    /// A type carried by a sample: taken whole when the filter can carry it to its output (the
    /// downstream pin accepting the new output type, which the next delivered sample carries),
    /// the effect restarted at the new rate; else VFW_E_INVALIDMEDIATYPE or
    /// VFW_E_TYPE_NOT_ACCEPTED and the sample is refused.
    HRESULT receiveMediaType(const AM_MEDIA_TYPE& type) override;

    EqEffectHost& host() noexcept { return host_; }

    /// The effect's host callback; the record's user field holds the filter.
    static intptr_t VST2_CALL hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt);

protected:
    std::unique_ptr<TransformInputPin> createInputPin(HRESULT& result) override;

private:
    /// An empty output sample with the given times (null: none), carrying a changed output
    /// type when no sample has told the downstream pin yet.
    HRESULT outputSample(ComRef<IMediaSample>& sample, REFERENCE_TIME* start, REFERENCE_TIME* stop);
    /// Processes up to `frames` input frames from `source` into `sample`; `frames` becomes the
    /// frames done.
    HRESULT processInto(IMediaSample& sample, const BYTE* source, long& frames);
    /// The frames an output buffer of this stream holds.
    uint32_t outputBufferFrames();

    EqEffectHost host_;
    WAVEFORMATEX inputFormat_{};
    WAVEFORMATEX outputFormat_{};
    /// The output type changed mid-stream and no sample has told the downstream pin yet. A
    /// new output connection ends it.
    MediaType pendingOutputType_;
    bool outputTypeChanged_ = false;
};

} // namespace miral::dx
