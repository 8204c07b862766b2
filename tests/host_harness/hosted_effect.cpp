#include "hosted_effect.h"

#include "call_witness.h"

namespace miral::harness {
namespace {
constexpr intptr_t kHostVersion = 2400;
} // namespace

std::unique_ptr<HostedEffect> HostedEffect::create(EntryPoint entry) {
    AEffect* record = witnessed("entry point", 0, [&] { return entry(hostCallback); });
    if (record == nullptr)
        return nullptr;
    std::unique_ptr<HostedEffect> effect(new HostedEffect(record));
    record->user = effect.get();
    effect->dispatch(effOpen);
    return effect;
}

HostedEffect::~HostedEffect() {
    if (record_ != nullptr)
        close();
}

intptr_t HostedEffect::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    return witnessed("dispatcher opcode", opcode,
                     [&] { return record_->dispatcher(record_, opcode, index, value, ptr, opt); });
}

void HostedEffect::setParameter(int32_t index, float value) {
    witnessed("setParameter", index, [&] { record_->setParameter(record_, index, value); });
}

float HostedEffect::getParameter(int32_t index) {
    return witnessed("getParameter", index, [&] { return record_->getParameter(record_, index); });
}

void HostedEffect::process(float* const* inputs, float* const* outputs, int32_t frames) {
    witnessed("processReplacing", frames, [&] {
        record_->processReplacing(record_, const_cast<float**>(inputs),
                                  const_cast<float**>(outputs), frames);
    });
}

void HostedEffect::close() {
    dispatch(effClose);
    record_ = nullptr;
}

void HostedEffect::start(float sampleRate, int32_t blockSize) {
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

intptr_t HostedEffect::hostCallback(AEffect* effect, int32_t opcode, int32_t, intptr_t, void*,
                                    float) {
    if (opcode == audioMasterVersion)
        return kHostVersion;
    if (opcode == audioMasterAutomate && effect != nullptr && effect->user != nullptr)
        ++static_cast<HostedEffect*>(effect->user)->automationReports_;
    return 0;
}

} // namespace miral::harness
