#pragma once

// One COM interface of an object that answers for another: QueryInterface, AddRef and Release
// go to the owner's IUnknown, so the interface shares the owner's identity and lifetime.

#include "dx/framework/windows_api.h"

#include <unknwn.h>

namespace miral::dx {

template <class Interface> class OwnerDelegation : public Interface {
public:
    explicit OwnerDelegation(IUnknown& owner) noexcept : owner_(owner) {}
    OwnerDelegation(const OwnerDelegation&) = delete;
    OwnerDelegation& operator=(const OwnerDelegation&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        return owner_.QueryInterface(iid, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

protected:
    ~OwnerDelegation() = default;

private:
    IUnknown& owner_;
};

} // namespace miral::dx
