#include "dx/framework/input_pin.h"

#include "dx/framework/base_filter.h"

#include "dx/framework/windows_api.h"

#include <uuids.h>

namespace miral::dx {

BaseInputPin::BaseInputPin(BaseFilter& filter, const wchar_t* name) noexcept
    : BasePin(filter, name, L"In", PINDIR_INPUT) {}

BaseInputPin::~BaseInputPin() = default;

HRESULT BaseInputPin::queryOtherInterface(REFIID iid, void** result) {
    if (iid == IID_IMemInputPin) {
        *result = static_cast<IMemInputPin*>(this);
        AddRef();
        return S_OK;
    }
    return BasePin::queryOtherInterface(iid, result);
}

HRESULT BaseInputPin::EndOfStream() {
    return checkStreaming();
}

HRESULT BaseInputPin::BeginFlush() {
    flushing_.store(true);
    return S_OK;
}

HRESULT BaseInputPin::EndFlush() {
    flushing_.store(false);
    return S_OK;
}

HRESULT BaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr)
        return E_POINTER;
    *allocator = nullptr;
    ScopedLock lock(filter().filterLock());
    if (!allocator_) {
        const HRESULT result =
            CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IMemAllocator, allocator_.putVoid());
        if (FAILED(result))
            return result;
    }
    *allocator = ComRef<IMemAllocator>(allocator_).detach();
    return S_OK;
}

HRESULT BaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    if (allocator == nullptr)
        return E_POINTER;
    ScopedLock lock(filter().filterLock());
    allocator_ = ComRef<IMemAllocator>::share(allocator);
    return S_OK;
}

HRESULT BaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) {
    return E_NOTIMPL;
}

HRESULT BaseInputPin::checkStreaming() const noexcept {
    if (!isConnected())
        return VFW_E_NOT_CONNECTED;
    if (flushing_.load())
        return S_FALSE;
    if (!streaming_.load() || filter().state() == State_Stopped)
        return VFW_E_WRONG_STATE;
    return S_OK;
}

HRESULT BaseInputPin::Receive(IMediaSample* sample) {
    if (sample == nullptr)
        return E_POINTER;
    const HRESULT result = checkStreaming();
    if (result != S_OK)
        return result;
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed != nullptr) {
        const HRESULT taken = receiveMediaType(*changed);
        deleteMediaType(changed);
        if (FAILED(taken))
            return taken;
    }
    return S_OK;
}

HRESULT BaseInputPin::receiveMediaType(const AM_MEDIA_TYPE& type) {
    return checkMediaType(type) == S_OK ? setMediaType(type) : VFW_E_INVALIDMEDIATYPE;
}

HRESULT BaseInputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (samples == nullptr || processed == nullptr)
        return E_POINTER;
    *processed = 0;
    HRESULT result = S_OK;
    while (*processed < count) {
        result = Receive(samples[*processed]);
        if (result != S_OK)
            break;
        ++*processed;
    }
    return result;
}

HRESULT BaseInputPin::ReceiveCanBlock() {
    return S_OK;
}

HRESULT BaseInputPin::breakConnect() {
    allocator_.reset();
    return BasePin::breakConnect();
}

HRESULT BaseInputPin::active() {
    flushing_.store(false);
    streaming_.store(true);
    return S_OK;
}

HRESULT BaseInputPin::inactive() {
    streaming_.store(false);
    if (allocator_)
        allocator_->Decommit();
    return S_OK;
}

} // namespace miral::dx
