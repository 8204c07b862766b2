#pragma once

// The COM object base of the library: reference counting, aggregation by an outer object and
// the count of live objects and server locks behind DllCanUnloadNow. The only place that
// deletes COM objects.

#include "dx/framework/windows_api.h"

#include <unknwn.h>

#include <atomic>
#include <new>
#include <utility>

namespace miral::dx {

/// Live objects and server locks of the module; the module may unload when both are zero.
class ModuleUsage {
public:
    static void objectCreated() noexcept;
    static void objectDestroyed() noexcept;
    static void lockServer(bool lock) noexcept;
    static bool inUse() noexcept;
};

/// The IUnknown an aggregating outer object holds: same slot layout as IUnknown.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

/// Reference count and identity of one COM object. With an outer object every IUnknown call
/// of the object's interfaces goes to the outer one; without, to the object itself.
class ComObject : public INonDelegatingUnknown {
public:
    /// outer: the aggregating object, or null.
    explicit ComObject(IUnknown* outer) noexcept;
    virtual ~ComObject();
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    /// The IUnknown the object's interfaces delegate to.
    IUnknown* owner() const noexcept { return owner_; }
    /// The object's own IUnknown, as handed to an aggregating outer object.
    IUnknown* nonDelegatingUnknown() noexcept { return reinterpret_cast<IUnknown*>(this); }

    /// IUnknown only; derived classes add their interfaces and fall back to this.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

protected:
    /// Hands out one interface of the object with a reference: S_OK.
    template <class Interface> static HRESULT hand(Interface* iface, void** result) noexcept {
        iface->AddRef();
        *result = iface;
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{0};
    IUnknown* owner_;
};

/// A COM class implementing Interfaces...: their IUnknown slots delegate to the owner.
template <class... Interfaces> class ComClass : public ComObject, public Interfaces... {
public:
    using ComObject::ComObject;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        return owner()->QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner()->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner()->Release(); }
};

/// Creates a COM object holding one non-delegating reference, the creator's; null when memory
/// runs out.
template <class Object, class... Arguments>
Object* makeComObject(Arguments&&... arguments) noexcept {
    auto* object = new (std::nothrow) Object(std::forward<Arguments>(arguments)...);
    if (object != nullptr)
        object->NonDelegatingAddRef();
    return object;
}

} // namespace miral::dx
