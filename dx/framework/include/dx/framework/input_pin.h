#pragma once

// An input pin with the memory transport (IMemInputPin): it offers an allocator of its own
// (Wine's and Windows' CLSID_MemoryAllocator) when the upstream pin has none, takes the one
// the upstream pin decides on, refuses samples while its filter is stopped or while a flush
// runs, and follows media-type changes carried by samples.
//
// Threads: Receive, EndOfStream and NewSegment come on the upstream filter's streaming thread;
// BeginFlush and EndFlush on whichever thread seeks; the rest on application threads.

#include "dx/framework/base_pin.h"

#include <atomic>

namespace miral::dx {

class BaseInputPin : public BasePin, public IMemInputPin {
public:
    BaseInputPin(BaseFilter& filter, const wchar_t* name) noexcept;
    ~BaseInputPin() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        return BasePin::QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }

    // IPin: the flush brackets and the end of the stream (derived pins pass them on).
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    // IMemInputPin
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    /// Checks that the pin may stream (checkStreaming) and takes a media-type change the sample
    /// carries; S_OK when the sample may be processed. Derived pins process it after this.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count,
                                              long* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    /// A media type carried by a received sample: taken when checkMediaType accepts it (S_OK),
    /// else VFW_E_INVALIDMEDIATYPE and the sample is refused.
    virtual HRESULT receiveMediaType(const AM_MEDIA_TYPE& type);

    HRESULT breakConnect() override;
    HRESULT active() override;
    /// Refuses samples from now on and decommits the allocator (which releases an upstream
    /// thread waiting for a buffer).
    HRESULT inactive() override;

    /// S_OK while samples may be processed; S_FALSE during a flush; VFW_E_WRONG_STATE while
    /// stopped; VFW_E_NOT_CONNECTED without a connection.
    HRESULT checkStreaming() const noexcept;
    bool flushing() const noexcept { return flushing_.load(); }
    /// The allocator in use, borrowed; null before one is agreed.
    IMemAllocator* allocator() const noexcept { return allocator_.get(); }

protected:
    HRESULT queryOtherInterface(REFIID iid, void** result) override;

private:
    ComRef<IMemAllocator> allocator_;
    std::atomic<bool> flushing_{false};
    std::atomic<bool> streaming_{false};
};

} // namespace miral::dx
