#include "hosted_effect.h"

#include "call_witness.h"

namespace miral::harness {

std::unique_ptr<HostedEffect> HostedEffect::create(EntryPoint entry) {
    std::unique_ptr<HostedEffect> effect(new HostedEffect);
    effect->record_ =
        witnessed("entry point", 0, [&] { return host::createEffect(entry, effect.get()); });
    if (effect->record_ == nullptr)
        return nullptr;
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

} // namespace miral::harness
