#pragma once

// The generic DirectShow filter: identity, state (stopped, paused, running), reference clock,
// membership of a filter graph, pin enumeration and lookup, and events to the graph. A derived
// filter supplies its pins and its reaction to state changes.
//
// Threads: every operation may come from any application thread; the filter lock serialises
// them. The state is also read, without the lock, by streaming threads.

#include "dx/framework/com_object.h"
#include "dx/framework/com_ref.h"
#include "dx/framework/critical_section.h"

#include "dx/framework/windows_api.h"

#include <strmif.h>
#include <vfwmsgs.h>

#include <atomic>
#include <string>

namespace miral::dx {

class BasePin;

class BaseFilter : public ComClass<IBaseFilter> {
public:
    BaseFilter(IUnknown* outer, const CLSID& classId) noexcept;
    ~BaseFilter() override;

    /// IBaseFilter, IMediaFilter, IPersist and IUnknown.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    // IMediaFilter: the default state changes make the connected pins active or inactive.
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    /// Remembers the graph without a reference (the graph holds the filter).
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* vendorInfo) override;

    /// Number of pins and the pin at an index (null for none). Called under the filter lock.
    virtual int pinCount() = 0;
    virtual BasePin* pin(int index) = 0;
    /// Whether a stream still runs through the filter after it stopped (a receive that has
    /// not returned yet): the pins then refuse connection changes, which would release what
    /// the streaming thread uses. Called under the filter lock.
    virtual bool streamStillRunning() noexcept { return false; }

    CriticalSection& filterLock() noexcept { return filterLock_; }
    FILTER_STATE state() const noexcept { return state_.load(); }
    /// The graph the filter is in, borrowed; null outside a graph.
    IFilterGraph* graph() const noexcept { return graph_; }
    /// Sends an event to the graph's event sink; E_NOTIMPL outside a graph.
    HRESULT notifyEvent(long code, LONG_PTR param1, LONG_PTR param2) noexcept;
    IBaseFilter* asBaseFilter() noexcept { return this; }

protected:
    void setState(FILTER_STATE state) noexcept { state_.store(state); }

private:
    CriticalSection filterLock_;
    CLSID classId_;
    std::atomic<FILTER_STATE> state_{State_Stopped};
    ComRef<IReferenceClock> clock_;
    IFilterGraph* graph_ = nullptr;
    IMediaEventSink* eventSink_ = nullptr; // borrowed, like the graph that implements it
    std::wstring name_;
};

} // namespace miral::dx
