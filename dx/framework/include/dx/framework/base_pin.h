#pragma once

// The generic DirectShow pin: connection with media-type agreement, the connection's media
// type, identity and direction, media-type enumeration, the new-segment values and the quality
// sink. Input and output pins (input_pin.h, output_pin.h) add the transport.
//
// A pin is part of its filter: its reference count is the filter's, and the filter deletes it.
// Connection changes run under the filter lock and only while the filter is stopped. The
// connection's media type may also change while streaming (a type carried by a sample); its own
// lock, taken by nothing else, guards it for readers on other threads (currentMediaType).

#include "dx/framework/com_ref.h"
#include "dx/framework/critical_section.h" // windows.h first
#include "dx/framework/media_type.h"

#include "dx/framework/windows_api.h"

#include <strmif.h>

#include <string>

namespace miral::dx {

class BaseFilter;

class BasePin : public IPin, public IQualityControl {
public:
    BasePin(BaseFilter& filter, const wchar_t* name, const wchar_t* id,
            PIN_DIRECTION direction) noexcept;
    virtual ~BasePin();
    BasePin(const BasePin&) = delete;
    BasePin& operator=(const BasePin&) = delete;

    // IUnknown: the pin's own interfaces, the filter's reference count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector,
                                                const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                         double rate) override;

    // IQualityControl: no quality handling of its own (E_NOTIMPL); remembers the sink.
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;
    HRESULT STDMETHODCALLTYPE SetSink(IQualityControl* sink) override;

    // --- What a concrete pin decides.
    /// S_OK when the pin would connect with `type`; anything else refuses it.
    virtual HRESULT checkMediaType(const AM_MEDIA_TYPE& type) = 0;
    /// The pin's preferred type at `position` (0, 1, ...): S_OK, VFW_S_NO_MORE_ITEMS past the
    /// last one. None by default.
    virtual HRESULT getMediaType(int position, MediaType& type);
    /// Takes `type` as the connection's type (stored copy first).
    virtual HRESULT setMediaType(const AM_MEDIA_TYPE& type);
    /// Whether the pin can connect to `peer` at all: it must face the other way.
    virtual HRESULT checkConnect(IPin* peer);
    /// Undoes what checkConnect and completeConnect set up.
    virtual HRESULT breakConnect();
    /// The last step of a connection, both pins agreeing on the type.
    virtual HRESULT completeConnect(IPin* peer);
    /// The filter leaves or enters the stopped state.
    virtual HRESULT active();
    virtual HRESULT inactive();

    bool isConnected() const noexcept { return static_cast<bool>(connected_); }
    /// The connected pin, borrowed; null when unconnected.
    IPin* connected() const noexcept { return connected_.get(); }
    /// The connection's media type; empty when unconnected. For the connecting thread and the
    /// streaming thread, which are the only ones that change it.
    const AM_MEDIA_TYPE& mediaType() const noexcept { return type_.get(); }
    /// A copy of the connection's media type, for any thread.
    HRESULT currentMediaType(MediaType& copy) const noexcept;
    BaseFilter& filter() const noexcept { return filter_; }
    PIN_DIRECTION direction() const noexcept { return direction_; }
    const std::wstring& id() const noexcept { return id_; }
    REFERENCE_TIME segmentStart() const noexcept { return segmentStart_; }

protected:
    /// Interfaces of a derived pin beyond IPin and IQualityControl; E_NOINTERFACE by default.
    virtual HRESULT queryOtherInterface(REFIID iid, void** result);
    /// The quality sink set by SetSink, borrowed; null for none.
    IQualityControl* qualitySink() const noexcept { return qualitySink_; }

private:
    HRESULT agreeMediaType(IPin* receivePin, const AM_MEDIA_TYPE* pattern);
    HRESULT tryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* pattern, IEnumMediaTypes* types);
    HRESULT attemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type);
    /// S_OK when a connection may start: unconnected and the filter stopped.
    HRESULT checkFree() const noexcept;
    /// The filter stopped and no stream left running through it.
    bool stopped() const noexcept;
    void undoConnection() noexcept;

    BaseFilter& filter_;
    std::wstring name_;
    std::wstring id_;
    PIN_DIRECTION direction_;
    ComRef<IPin> connected_;
    mutable CriticalSection typeLock_;
    MediaType type_;
    REFERENCE_TIME segmentStart_ = 0;
    IQualityControl* qualitySink_ = nullptr;
};

} // namespace miral::dx
