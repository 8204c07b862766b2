#pragma once

// An output pin with the memory transport: it connects only to pins with IMemInputPin, agrees
// on an allocator (the downstream pin's, or else a CLSID_MemoryAllocator of its own) whose
// buffers the filter sizes, commits it while the filter is not stopped, and delivers samples,
// end of stream, flushes and new segments downstream.
//
// Threads: delivery runs on the streaming thread that calls it; connection and state changes
// on application threads, under the filter lock.

#include "dx/framework/base_pin.h"

namespace miral::dx {

class BaseOutputPin : public BasePin {
public:
    BaseOutputPin(BaseFilter& filter, const wchar_t* name) noexcept;
    ~BaseOutputPin() override;

    // IPin: an output pin receives no stream control from upstream.
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }

    /// Sizes the buffers of `allocator` (IMemAllocator SetProperties) from the downstream
    /// pin's request in `properties`; a failure refuses the allocator.
    virtual HRESULT decideBufferSize(IMemAllocator* allocator,
                                     ALLOCATOR_PROPERTIES* properties) = 0;

    HRESULT checkConnect(IPin* peer) override;
    HRESULT breakConnect() override;
    HRESULT completeConnect(IPin* peer) override;
    /// Commits the allocator.
    HRESULT active() override;
    /// Decommits the allocator, which releases a thread waiting in getDeliveryBuffer.
    HRESULT inactive() override;

    /// An empty sample from the allocator; VFW_E_NO_ALLOCATOR when unconnected.
    HRESULT getDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                              DWORD flags) noexcept;
    /// The downstream pin's Receive; VFW_E_NOT_CONNECTED when unconnected.
    HRESULT deliver(IMediaSample* sample) noexcept;
    HRESULT deliverEndOfStream() noexcept;
    HRESULT deliverBeginFlush() noexcept;
    HRESULT deliverEndFlush() noexcept;
    HRESULT deliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) noexcept;

    /// The agreed allocator, borrowed; null before connection.
    IMemAllocator* allocator() const noexcept { return allocator_.get(); }

private:
    HRESULT tryAllocator(IMemAllocator* allocator, ALLOCATOR_PROPERTIES request);

    ComRef<IMemInputPin> downstream_;
    ComRef<IMemAllocator> allocator_;
};

} // namespace miral::dx
