#pragma once

// A host's calls on an effect's record: its dispatcher, with the interface's default arguments
// for those an opcode does not use.

#include "vst2/vst2_interface.h"

#include <cstdint>

namespace miral::host {

class EffectCalls {
public:
    AEffect& effect() { return *record_; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return record_->dispatcher(record_, opcode, index, value, ptr, opt);
    }

protected:
    EffectCalls() = default;
    ~EffectCalls() = default;
    EffectCalls(const EffectCalls&) = delete;
    EffectCalls& operator=(const EffectCalls&) = delete;

    /// Set by the host once the effect exists.
    AEffect* record_ = nullptr;
};

} // namespace miral::host
