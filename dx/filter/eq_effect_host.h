#pragma once

// The filter's side of the effect: it plays the VST 2 host towards the equaliser, owns the
// effect record and hands out the four parts that use it: the parameter mirror
// (IEqParameters), the program list (IEqPrograms), persistence (IPersistStream) and the
// stream processor. The three interfaces answer QueryInterface, AddRef and Release as the
// filter.

#include "parameter_mirror.h"
#include "parameter_persistence.h"
#include "program_list.h"
#include "stream_processor.h"
#include "vst2/vst2_interface.h"

class ParametricEqEdit;

namespace miral::dx {

class EqEffectHost {
public:
    /// owner: the filter's controlling IUnknown.
    explicit EqEffectHost(IUnknown& owner) noexcept;
    ~EqEffectHost();
    EqEffectHost(const EqEffectHost&) = delete;
    EqEffectHost& operator=(const EqEffectHost&) = delete;

    /// Creates the effect with `callback` as its host and `user` in its record, opens it,
    /// announces 44100 Hz and 64 frames, builds the process's program table if needed and
    /// applies program 0 through the mirror. E_OUTOFMEMORY when it cannot be created.
    HRESULT openEffect(audioMasterCallback callback, void* user) noexcept;
    /// Suspends and closes the effect; nothing without one.
    void closeEffect() noexcept;
    AEffect* effect() const noexcept { return effect_; }

    ParameterMirror& parameters() noexcept { return parameters_; }
    ProgramList& programs() noexcept { return programs_; }
    ParameterPersistence& persistence() noexcept { return persistence_; }
    StreamProcessor& stream() noexcept { return stream_; }

private:
    void attach(AEffect* effect) noexcept;

    ParameterMirror parameters_;
    ProgramList programs_;
    ParameterPersistence persistence_;
    StreamProcessor stream_;
    ParametricEqEdit* object_ = nullptr;
    AEffect* effect_ = nullptr;
};

} // namespace miral::dx
