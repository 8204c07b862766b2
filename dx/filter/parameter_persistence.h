#pragma once

// The filter's saved state (IPersistStream): the mirror as the 124-byte stream record. A load
// reads and checks the whole record before anything changes, and leaves the filter clean: its
// state is then the stream's.

#include "owner_delegation.h"

#include "dx/framework/windows_api.h"

#include <objidl.h>

namespace miral::dx {

class ParameterMirror;

class ParameterPersistence final : public OwnerDelegation<IPersistStream> {
public:
    ParameterPersistence(IUnknown& owner, ParameterMirror& mirror) noexcept;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    ParameterMirror& mirror_;
};

} // namespace miral::dx
