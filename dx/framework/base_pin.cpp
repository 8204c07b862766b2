#include "dx/framework/base_pin.h"

#include "dx/framework/base_filter.h"
#include "dx/framework/enumerators.h"

#include <cstring>

namespace miral::dx {

BasePin::BasePin(BaseFilter& filter, const wchar_t* name, const wchar_t* id,
                 PIN_DIRECTION direction) noexcept
    : filter_(filter), name_(name), id_(id), direction_(direction) {}

BasePin::~BasePin() = default;

HRESULT BasePin::QueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *result = static_cast<IPin*>(this);
    } else if (iid == IID_IQualityControl) {
        *result = static_cast<IQualityControl*>(this);
    } else {
        return queryOtherInterface(iid, result);
    }
    AddRef();
    return S_OK;
}

ULONG BasePin::AddRef() {
    return filter_.AddRef();
}
ULONG BasePin::Release() {
    return filter_.Release();
}

HRESULT BasePin::queryOtherInterface(REFIID, void** result) {
    *result = nullptr;
    return E_NOINTERFACE;
}

// --- Connection.

HRESULT BasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (receivePin == nullptr)
        return E_POINTER;
    ScopedLock lock(filter_.filterLock());
    if (const HRESULT free = checkFree(); free != S_OK)
        return free;
    if (type != nullptr && mediaTypeFullySpecified(*type))
        return attemptConnection(receivePin, *type);
    return agreeMediaType(receivePin, type);
}

HRESULT BasePin::agreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* pattern) {
    // The pin's own types first (an output pin knows what it will deliver), then the other's.
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int round = 0; round < 2; ++round) {
        ComRef<IEnumMediaTypes> types;
        if (round == 0)
            types = ComRef<IEnumMediaTypes>::adopt(createMediaTypeEnumerator(*this));
        else if (FAILED(receivePin->EnumMediaTypes(types.put())))
            continue;
        if (!types)
            continue;
        const HRESULT result = tryMediaTypes(receivePin, pattern, types.get());
        if (SUCCEEDED(result))
            return S_OK;
        if (result != VFW_E_NO_ACCEPTABLE_TYPES)
            last = result;
    }
    return last;
}

HRESULT BasePin::tryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* pattern,
                               IEnumMediaTypes* types) {
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    types->Reset();
    for (;;) {
        AM_MEDIA_TYPE* candidate = nullptr;
        ULONG fetched = 0;
        if (types->Next(1, &candidate, &fetched) != S_OK || fetched != 1 || candidate == nullptr)
            break;
        HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
        if (pattern == nullptr || mediaTypeMatches(*candidate, *pattern))
            result = attemptConnection(receivePin, *candidate);
        deleteMediaType(candidate);
        if (SUCCEEDED(result))
            return S_OK;
        if (result != VFW_E_NO_ACCEPTABLE_TYPES && result != VFW_E_TYPE_NOT_ACCEPTED)
            last = result;
    }
    return last;
}

HRESULT BasePin::attemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type) {
    HRESULT result = checkConnect(receivePin);
    if (FAILED(result)) {
        breakConnect();
        return result;
    }
    result = checkMediaType(type);
    if (result != S_OK) {
        breakConnect();
        return FAILED(result) && result != E_INVALIDARG ? result : VFW_E_TYPE_NOT_ACCEPTED;
    }
    connected_ = ComRef<IPin>::share(receivePin);
    result = setMediaType(type);
    if (SUCCEEDED(result)) {
        result = receivePin->ReceiveConnection(this, &type);
        if (SUCCEEDED(result)) {
            result = completeConnect(receivePin);
            if (SUCCEEDED(result))
                return S_OK;
            receivePin->Disconnect();
        }
    }
    undoConnection();
    return result;
}

HRESULT BasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (connector == nullptr || type == nullptr)
        return E_POINTER;
    ScopedLock lock(filter_.filterLock());
    if (const HRESULT free = checkFree(); free != S_OK)
        return free;
    HRESULT result = checkConnect(connector);
    if (FAILED(result)) {
        breakConnect();
        return result;
    }
    if (checkMediaType(*type) != S_OK) {
        breakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    connected_ = ComRef<IPin>::share(connector);
    result = setMediaType(*type);
    if (SUCCEEDED(result))
        result = completeConnect(connector);
    if (SUCCEEDED(result))
        return S_OK;
    undoConnection();
    return result;
}

HRESULT BasePin::checkFree() const noexcept {
    if (connected_)
        return VFW_E_ALREADY_CONNECTED;
    return stopped() ? S_OK : VFW_E_NOT_STOPPED;
}

bool BasePin::stopped() const noexcept {
    return filter_.state() == State_Stopped && !filter_.streamStillRunning();
}

void BasePin::undoConnection() noexcept {
    breakConnect();
    connected_.reset();
    ScopedLock lock(typeLock_);
    type_.clear();
}

HRESULT BasePin::Disconnect() {
    ScopedLock lock(filter_.filterLock());
    if (!stopped())
        return VFW_E_NOT_STOPPED;
    if (!connected_)
        return S_FALSE;
    undoConnection();
    return S_OK;
}

HRESULT BasePin::ConnectedTo(IPin** pin) {
    if (pin == nullptr)
        return E_POINTER;
    ScopedLock lock(filter_.filterLock());
    *pin = ComRef<IPin>(connected_).detach();
    return *pin != nullptr ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr)
        return E_POINTER;
    ScopedLock lock(filter_.filterLock());
    if (!connected_) {
        std::memset(type, 0, sizeof(*type));
        return VFW_E_NOT_CONNECTED;
    }
    ScopedLock typeLock(typeLock_);
    const HRESULT result = copyMediaType(*type, type_.get());
    if (FAILED(result))
        freeMediaTypeContents(*type);
    return result;
}

HRESULT BasePin::currentMediaType(MediaType& copy) const noexcept {
    ScopedLock lock(typeLock_);
    return copy.assign(type_.get());
}

// --- Identity.

HRESULT BasePin::QueryPinInfo(PIN_INFO* info) {
    if (info == nullptr)
        return E_POINTER;
    info->pFilter = filter_.asBaseFilter();
    info->pFilter->AddRef();
    info->dir = direction_;
    const size_t capacity = sizeof(info->achName) / sizeof(info->achName[0]);
    const size_t length = name_.size() < capacity - 1 ? name_.size() : capacity - 1;
    std::memcpy(info->achName, name_.c_str(), length * sizeof(wchar_t));
    info->achName[length] = L'\0';
    return S_OK;
}

HRESULT BasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (direction == nullptr)
        return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT BasePin::QueryId(LPWSTR* id) {
    if (id == nullptr)
        return E_POINTER;
    const size_t bytes = (id_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*id == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(*id, id_.c_str(), bytes);
    return S_OK;
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (type == nullptr)
        return E_POINTER;
    return checkMediaType(*type) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr)
        return E_POINTER;
    *types = createMediaTypeEnumerator(*this);
    return *types != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT BasePin::QueryInternalConnections(IPin**, ULONG*) {
    return E_NOTIMPL;
}

HRESULT BasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME, double) {
    segmentStart_ = start;
    return S_OK;
}

HRESULT BasePin::Notify(IBaseFilter*, Quality) {
    return E_NOTIMPL;
}

HRESULT BasePin::SetSink(IQualityControl* sink) {
    qualitySink_ = sink;
    return S_OK;
}

// --- Defaults of the decisions.

HRESULT BasePin::getMediaType(int position, MediaType&) {
    return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

HRESULT BasePin::setMediaType(const AM_MEDIA_TYPE& type) {
    ScopedLock lock(typeLock_);
    return type_.assign(type);
}

HRESULT BasePin::checkConnect(IPin* peer) {
    PIN_DIRECTION peerDirection;
    if (FAILED(peer->QueryDirection(&peerDirection)))
        return E_FAIL;
    return peerDirection == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT BasePin::breakConnect() {
    return S_OK;
}
HRESULT BasePin::completeConnect(IPin*) {
    return S_OK;
}
HRESULT BasePin::active() {
    return S_OK;
}
HRESULT BasePin::inactive() {
    return S_OK;
}

} // namespace miral::dx
