#pragma once

// The calls a filter makes to its effect's dispatcher, recorded: the record's dispatcher is
// replaced by one that notes each opcode and value and passes the call on.

#include "vst2/vst2_interface.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace miral::dx::test {

/// One dispatcher call: opcode and value (the rate, as a whole number, for effSetSampleRate).
using EffectCall = std::pair<int32_t, intptr_t>;

class EffectCalls {
public:
    /// Starts recording the calls made to `effect` (one recorder at a time).
    explicit EffectCalls(AEffect* effect);
    ~EffectCalls();
    EffectCalls(const EffectCalls&) = delete;
    EffectCalls& operator=(const EffectCalls&) = delete;

    /// The calls since construction or the last take, and forgets them.
    std::vector<EffectCall> take();
    /// Of those, how many were effMainsChanged.
    static int suspendsAndResumes(const std::vector<EffectCall>& calls);

private:
    AEffect* effect_;
    AEffectDispatcherProc original_;
};

} // namespace miral::dx::test
