#pragma once

// The effect's factory programs as COM clients list and select them (IEqPrograms), from the
// process's program snapshot table; selecting one sets its values through the mirror.

#include "dx/filter/eq_interfaces.h"
#include "owner_delegation.h"

namespace miral::dx {

class ParameterMirror;

class ProgramList final : public OwnerDelegation<IEqPrograms> {
public:
    ProgramList(IUnknown& owner, ParameterMirror& mirror) noexcept;

    /// The effect whose programs are listed; null detaches (no programs).
    void attach(AEffect* effect) noexcept { effect_ = effect; }

    HRESULT STDMETHODCALLTYPE GetProgramCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetProgramName(long index, wchar_t* name, long capacity) override;
    HRESULT STDMETHODCALLTYPE SelectProgram(long index) override;

private:
    ParameterMirror& mirror_;
    AEffect* effect_ = nullptr;
};

} // namespace miral::dx
