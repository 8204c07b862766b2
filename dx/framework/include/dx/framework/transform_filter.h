#pragma once

// A transform filter: one input pin and one output pin, the output's media type derived from
// the input's. The derived filter decides the types (checkInputType, checkTransform,
// getMediaType), sizes the output buffers (decideBufferSize), starts and stops its processing
// (startStreaming, stopStreaming) and processes each input sample (receive), delivering on
// the output pin. End of stream, flushes and new segments pass downstream, quality messages
// from downstream pass upstream, and seeking requests on the output pin pass to the pin
// upstream of the input.
//
// Threads and locks: state changes and connections run under the filter lock. The streaming
// lock is held around every receive and around startStreaming and stopStreaming, so those
// never overlap; the streaming thread never takes the filter lock. Stopping first makes the
// input pin refuse samples and decommits both allocators (a receive waiting for a buffer
// returns), then runs stopStreaming if no receive is busy; if one is (blocked in a downstream
// Receive, say), Stop returns at once and that receive runs stopStreaming as it ends.

#include "dx/framework/base_filter.h"
#include "dx/framework/input_pin.h"
#include "dx/framework/output_pin.h"
#include "dx/framework/seeking_passthrough.h"

#include <atomic>
#include <memory>

namespace miral::dx {

class TransformFilter;

/// The transform filter's input pin, "Input": types checked by the filter, samples passed to
/// its receive under the streaming lock.
class TransformInputPin : public BaseInputPin {
public:
    TransformInputPin(TransformFilter& filter, const wchar_t* name) noexcept;

    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) override;

    /// The filter's checkInputType, and with a connected output its checkTransform too.
    HRESULT checkMediaType(const AM_MEDIA_TYPE& type) override;
    /// The filter's receiveMediaType.
    HRESULT receiveMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT setMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT checkConnect(IPin* peer) override;
    HRESULT breakConnect() override;
    HRESULT completeConnect(IPin* peer) override;

protected:
    TransformFilter& transformFilter() const noexcept { return filter_; }

private:
    TransformFilter& filter_;
};

/// The transform filter's output pin, "Output": types proposed and checked by the filter
/// against the connected input; IMediaSeeking and IMediaPosition passed upstream.
class TransformOutputPin : public BaseOutputPin {
public:
    /// input: the filter's input pin, whose upstream pin answers seeking requests.
    TransformOutputPin(TransformFilter& filter, BasePin& input, const wchar_t* name) noexcept;

    /// Downstream quality messages: the filter's alterQuality, else to the quality sink or the
    /// pin upstream of the input.
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;

    HRESULT checkMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT getMediaType(int position, MediaType& type) override;
    HRESULT setMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT checkConnect(IPin* peer) override;
    HRESULT breakConnect() override;
    HRESULT completeConnect(IPin* peer) override;
    HRESULT decideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;

protected:
    HRESULT queryOtherInterface(REFIID iid, void** result) override;

private:
    TransformFilter& filter_;
    SeekingPassThrough seeking_;
};

class TransformFilter : public BaseFilter {
public:
    TransformFilter(IUnknown* outer, const CLSID& classId) noexcept;
    ~TransformFilter() override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;

    /// Two pins, made on the first request: 0 the input, 1 the output.
    int pinCount() override { return 2; }
    BasePin* pin(int index) override;
    /// The pins; null when they could not be made.
    TransformInputPin* inputPin();
    TransformOutputPin* outputPin();

    // --- What the concrete filter decides.
    virtual HRESULT checkInputType(const AM_MEDIA_TYPE& input) = 0;
    virtual HRESULT checkTransform(const AM_MEDIA_TYPE& input, const AM_MEDIA_TYPE& output) = 0;
    /// The output types it proposes, by position (the input is connected).
    virtual HRESULT getMediaType(int position, MediaType& type) = 0;
    virtual HRESULT decideBufferSize(IMemAllocator* allocator,
                                     ALLOCATOR_PROPERTIES* properties) = 0;
    /// Processes one input sample and delivers the result. Streaming thread, streaming lock.
    virtual HRESULT receive(IMediaSample* sample) = 0;

    /// A media type carried by an input sample (streaming thread, streaming lock): by default
    /// taken by the input pin when its checkMediaType accepts it, else VFW_E_INVALIDMEDIATYPE.
    virtual HRESULT receiveMediaType(const AM_MEDIA_TYPE& type);
    virtual HRESULT setMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE& type);
    virtual HRESULT checkConnect(PIN_DIRECTION direction, IPin* peer);
    virtual HRESULT breakConnect(PIN_DIRECTION direction);
    virtual HRESULT completeConnect(PIN_DIRECTION direction, IPin* peer);
    /// Leaving and entering the stopped state with both pins connected; streaming lock held.
    virtual HRESULT startStreaming();
    virtual HRESULT stopStreaming();
    /// Stream control from upstream, passed downstream by default.
    virtual HRESULT endOfStream();
    virtual HRESULT beginFlush();
    virtual HRESULT endFlush();
    virtual HRESULT newSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
    /// A quality message from downstream; S_FALSE passes it upstream (the default).
    virtual HRESULT alterQuality(const Quality& quality);

    /// A receive, end of stream or flush holds the streaming lock.
    bool streamStillRunning() noexcept override;

    /// Holds the streaming lock; as it lets go it runs stopStreaming for a Stop that came
    /// meanwhile (which found the lock busy and left the stop to its holder).
    class StreamingHold {
    public:
        explicit StreamingHold(TransformFilter& filter) noexcept;
        ~StreamingHold();
        StreamingHold(const StreamingHold&) = delete;
        StreamingHold& operator=(const StreamingHold&) = delete;

    private:
        TransformFilter& filter_;
    };
    /// Runs stopStreaming if a Stop asked for it while the streaming lock was busy (a receive,
    /// an end of stream or a flush); streaming lock held.
    HRESULT finishPendingStop();
    /// Whether startStreaming ran and no stop has ended it; streaming lock held.
    bool streaming() const noexcept { return streaming_; }

protected:
    /// The pins this filter uses; a pin that cannot be made is null, and `result` says why.
    /// The output pin is made only after the input pin.
    virtual std::unique_ptr<TransformInputPin> createInputPin(HRESULT& result);
    virtual std::unique_ptr<TransformOutputPin> createOutputPin(HRESULT& result);

private:
    void makePins();
    /// Lets go of the streaming lock, then finishes a stop that came after the holder's last
    /// check and found the lock still held.
    void leaveStreaming() noexcept;

    CriticalSection streamingLock_;
    std::unique_ptr<TransformInputPin> input_;
    std::unique_ptr<TransformOutputPin> output_;
    bool streaming_ = false;
    std::atomic<bool> stopPending_{false};
};

} // namespace miral::dx
