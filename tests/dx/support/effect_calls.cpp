#include "effect_calls.h"

#include <mutex>

namespace miral::dx::test {
namespace {

std::mutex mutex;
std::vector<EffectCall> recorded;
AEffectDispatcherProc passOn = nullptr;

intptr_t VST2_CALL recordingDispatcher(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt) {
    AEffectDispatcherProc target = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.emplace_back(opcode, opcode == effSetSampleRate ? intptr_t(opt) : value);
        target = passOn;
    }
    return target(effect, opcode, index, value, ptr, opt);
}

} // namespace

EffectCalls::EffectCalls(AEffect* effect) : effect_(effect), original_(effect->dispatcher) {
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
    passOn = original_;
    effect_->dispatcher = recordingDispatcher;
}

EffectCalls::~EffectCalls() {
    effect_->dispatcher = original_;
}

std::vector<EffectCall> EffectCalls::take() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<EffectCall> calls;
    calls.swap(recorded);
    return calls;
}

int EffectCalls::suspendsAndResumes(const std::vector<EffectCall>& calls) {
    int count = 0;
    for (const EffectCall& call : calls)
        count += call.first == effMainsChanged;
    return count;
}

} // namespace miral::dx::test
