#include "dx/framework/base_filter.h"

#include "dx/framework/base_pin.h"
#include "dx/framework/enumerators.h"

#include "dx/framework/windows_api.h"

#include <evcode.h>

#include <cwchar>

namespace miral::dx {

BaseFilter::BaseFilter(IUnknown* outer, const CLSID& classId) noexcept
    : ComClass(outer), classId_(classId) {}

BaseFilter::~BaseFilter() = default;

HRESULT BaseFilter::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result == nullptr)
        return E_POINTER;
    if (iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
        return hand<IBaseFilter>(this, result);
    return ComObject::NonDelegatingQueryInterface(iid, result);
}

HRESULT BaseFilter::GetClassID(CLSID* classId) {
    if (classId == nullptr)
        return E_POINTER;
    *classId = classId_;
    return S_OK;
}

HRESULT BaseFilter::Stop() {
    ScopedLock lock(filterLock_);
    HRESULT result = S_OK;
    if (state() != State_Stopped) {
        for (int i = 0; i < pinCount(); ++i) {
            BasePin* each = pin(i);
            if (each != nullptr && each->isConnected()) {
                const HRESULT pinResult = each->inactive();
                if (FAILED(pinResult) && SUCCEEDED(result))
                    result = pinResult;
            }
        }
    }
    setState(State_Stopped);
    return result;
}

HRESULT BaseFilter::Pause() {
    ScopedLock lock(filterLock_);
    if (state() == State_Stopped) {
        for (int i = 0; i < pinCount(); ++i) {
            BasePin* each = pin(i);
            if (each != nullptr && each->isConnected()) {
                const HRESULT result = each->active();
                if (FAILED(result))
                    return result;
            }
        }
    }
    setState(State_Paused);
    return S_OK;
}

HRESULT BaseFilter::Run(REFERENCE_TIME) {
    ScopedLock lock(filterLock_);
    if (state() == State_Stopped) {
        const HRESULT result = Pause();
        if (FAILED(result))
            return result;
    }
    setState(State_Running);
    return S_OK;
}

HRESULT BaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (state == nullptr)
        return E_POINTER;
    *state = this->state();
    return S_OK;
}

HRESULT BaseFilter::SetSyncSource(IReferenceClock* clock) {
    ScopedLock lock(filterLock_);
    clock_ = ComRef<IReferenceClock>::share(clock);
    return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (clock == nullptr)
        return E_POINTER;
    ScopedLock lock(filterLock_);
    *clock = ComRef<IReferenceClock>(clock_).detach();
    return S_OK;
}

HRESULT BaseFilter::EnumPins(IEnumPins** pins) {
    if (pins == nullptr)
        return E_POINTER;
    *pins = createPinEnumerator(*this);
    return *pins != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT BaseFilter::FindPin(LPCWSTR id, IPin** result) {
    if (id == nullptr || result == nullptr)
        return E_POINTER;
    *result = nullptr;
    ScopedLock lock(filterLock_);
    for (int i = 0; i < pinCount(); ++i) {
        BasePin* each = pin(i);
        if (each != nullptr && each->id() == id) {
            each->AddRef();
            *result = each;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (info == nullptr)
        return E_POINTER;
    ScopedLock lock(filterLock_);
    const size_t capacity = sizeof(info->achName) / sizeof(info->achName[0]);
    std::wcsncpy(info->achName, name_.c_str(), capacity - 1);
    info->achName[capacity - 1] = L'\0';
    info->pGraph = graph_;
    if (graph_ != nullptr)
        graph_->AddRef();
    return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    ScopedLock lock(filterLock_);
    graph_ = graph;
    eventSink_ = nullptr;
    if (graph != nullptr) {
        // The graph implements the sink and outlives its filters' membership: borrowed.
        ComRef<IMediaEventSink> sink = queryInterface<IMediaEventSink>(graph, IID_IMediaEventSink);
        eventSink_ = sink.get();
    }
    try {
        name_ = name != nullptr ? name : L"";
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT BaseFilter::QueryVendorInfo(LPWSTR*) {
    return E_NOTIMPL;
}

HRESULT BaseFilter::notifyEvent(long code, LONG_PTR param1, LONG_PTR param2) noexcept {
    IMediaEventSink* sink = eventSink_;
    if (sink == nullptr)
        return E_NOTIMPL;
    // EC_COMPLETE names the renderer that reached the end.
    if (code == EC_COMPLETE && param2 == 0)
        param2 = reinterpret_cast<LONG_PTR>(asBaseFilter());
    return sink->Notify(code, param1, param2);
}

} // namespace miral::dx
