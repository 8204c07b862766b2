#include "dx/framework/output_pin.h"

#include "dx/framework/base_filter.h"

#include "dx/framework/windows_api.h"

#include <uuids.h>

namespace miral::dx {

BaseOutputPin::BaseOutputPin(BaseFilter& filter, const wchar_t* name) noexcept
    : BasePin(filter, name, L"Out", PINDIR_OUTPUT) {}

BaseOutputPin::~BaseOutputPin() = default;

HRESULT BaseOutputPin::checkConnect(IPin* peer) {
    const HRESULT result = BasePin::checkConnect(peer);
    if (FAILED(result))
        return result;
    downstream_ = queryInterface<IMemInputPin>(peer, IID_IMemInputPin);
    return downstream_ ? S_OK : VFW_E_NO_TRANSPORT;
}

HRESULT BaseOutputPin::breakConnect() {
    if (allocator_)
        allocator_->Decommit();
    allocator_.reset();
    downstream_.reset();
    return BasePin::breakConnect();
}

HRESULT BaseOutputPin::completeConnect(IPin* peer) {
    HRESULT result = BasePin::completeConnect(peer);
    if (FAILED(result))
        return result;

    ALLOCATOR_PROPERTIES request{};
    downstream_->GetAllocatorRequirements(&request); // optional: zeroes stand for no wish

    // The downstream pin's allocator, or else one of our own.
    ComRef<IMemAllocator> offered;
    result = downstream_->GetAllocator(offered.put());
    if (SUCCEEDED(result) && offered) {
        result = tryAllocator(offered.get(), request);
        if (SUCCEEDED(result))
            return S_OK;
    }
    ComRef<IMemAllocator> own;
    const HRESULT created = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IMemAllocator, own.putVoid());
    if (FAILED(created))
        return FAILED(result) ? result : created;
    return tryAllocator(own.get(), request);
}

HRESULT BaseOutputPin::tryAllocator(IMemAllocator* allocator, ALLOCATOR_PROPERTIES request) {
    HRESULT result = decideBufferSize(allocator, &request);
    if (FAILED(result))
        return result;
    result = downstream_->NotifyAllocator(allocator, FALSE);
    if (FAILED(result))
        return result;
    allocator_ = ComRef<IMemAllocator>::share(allocator);
    return S_OK;
}

HRESULT BaseOutputPin::active() {
    return allocator_ ? allocator_->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT BaseOutputPin::inactive() {
    return allocator_ ? allocator_->Decommit() : VFW_E_NO_ALLOCATOR;
}

HRESULT BaseOutputPin::getDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                         REFERENCE_TIME* stop, DWORD flags) noexcept {
    if (sample == nullptr)
        return E_POINTER;
    *sample = nullptr;
    IMemAllocator* allocator = allocator_.get();
    if (allocator == nullptr)
        return VFW_E_NO_ALLOCATOR;
    return allocator->GetBuffer(sample, start, stop, flags);
}

HRESULT BaseOutputPin::deliver(IMediaSample* sample) noexcept {
    IMemInputPin* downstream = downstream_.get();
    return downstream != nullptr ? downstream->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::deliverEndOfStream() noexcept {
    IPin* peer = connected();
    return peer != nullptr ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::deliverBeginFlush() noexcept {
    IPin* peer = connected();
    return peer != nullptr ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::deliverEndFlush() noexcept {
    IPin* peer = connected();
    return peer != nullptr ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT BaseOutputPin::deliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) noexcept {
    IPin* peer = connected();
    return peer != nullptr ? peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

} // namespace miral::dx
