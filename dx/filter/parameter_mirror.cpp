#include "parameter_mirror.h"

#include "vst2/vst2_interface.h"

#include "dx/framework/windows_api.h"

#include <vfwmsgs.h>

namespace miral::dx {
namespace {

/// A value as the effect may receive it: below 0 and not a number give 0, above 1 gives 1.
float clampParameter(float value) noexcept {
    if (!(value >= 0.0f))
        return 0.0f; // also NaN
    return value > 1.0f ? 1.0f : value;
}

bool validParameterIndex(long index) noexcept {
    return index >= 0 && index < kEqParameterCount;
}

} // namespace

ParameterMirror::ParameterMirror(IUnknown& owner) noexcept : OwnerDelegation(owner) {
    for (auto& value : params_)
        value.store(0.0f);
}

void ParameterMirror::pullParameter(int32_t index) noexcept {
    if (effect_ == nullptr || !validParameterIndex(index) || effectBypassed_.load())
        return;
    params_[size_t(index)].store(effect_->getParameter(effect_, index));
}

void ParameterMirror::setEffectBypassed(bool bypassed) noexcept {
    ScopedLock lock(lock_);
    if (effectBypassed_.exchange(bypassed) == bypassed || bypassed || effect_ == nullptr)
        return;
    // Only what the effect lacks: a value it already has is not set again.
    for (int i = 0; i < kEqParameterCount; ++i) {
        const float kept = params_[size_t(i)].load();
        if (effect_->getParameter(effect_, i) != kept)
            effect_->setParameter(effect_, i, kept);
    }
}

void ParameterMirror::store(int index, float value) noexcept {
    const float clamped = clampParameter(value);
    params_[size_t(index)].store(clamped);
    if (effect_ != nullptr && !effectBypassed_.load())
        effect_->setParameter(effect_, index, clamped);
}

ParameterValues ParameterMirror::values() const noexcept {
    ParameterValues values;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = params_[i].load();
    return values;
}

HRESULT ParameterMirror::GetParameters(float* values) {
    if (values == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    for (int i = 0; i < kEqParameterCount; ++i)
        values[i] = params_[size_t(i)].load();
    for (int i = 0; i < kEqParameterCount; ++i)
        pullParameter(i);
    return S_OK;
}

HRESULT ParameterMirror::SetParameters(const float* values) {
    if (values == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    unsaved_.store(true);
    for (int i = 0; i < kEqParameterCount; ++i)
        store(i, values[i]);
    return S_OK;
}

HRESULT ParameterMirror::GetFormat(WAVEFORMATEX* format, long which) {
    if (format == nullptr)
        return E_POINTER;
    ScopedLock lock(lock_);
    if ((which != kInputFormat && which != kOutputFormat) || !formatSet_[size_t(which)])
        return VFW_E_NOT_CONNECTED;
    *format = formats_[size_t(which)];
    return S_OK;
}

HRESULT ParameterMirror::GetEffect(AEffect** effect) {
    if (effect == nullptr)
        return E_POINTER;
    *effect = effect_;
    return S_OK;
}

float ParameterMirror::GetParameter(long index) {
    return validParameterIndex(index) ? params_[size_t(index)].load() : 0.0f;
}

HRESULT ParameterMirror::SetParameter(long index, float value) {
    if (!validParameterIndex(index))
        return E_INVALIDARG; // a write that cannot be kept is not reported as kept
    // The value reaches the effect too, clamped like every other write, so that the next
    // refresh of the mirror from the effect keeps it.
    ScopedLock lock(lock_);
    unsaved_.store(true);
    store(int(index), value);
    return S_OK;
}

HRESULT ParameterMirror::AdviseWindow(HWND window, long identifier) {
    ScopedLock lock(lock_);
    AdvisedWindow* chosen = nullptr;
    for (AdvisedWindow& entry : windows_)
        if (entry.window != nullptr && entry.window == window)
            chosen = &entry;
    if (chosen == nullptr) {
        // A free entry, the second preferred.
        for (auto entry = windows_.rbegin(); entry != windows_.rend() && chosen == nullptr; ++entry)
            if (entry->window == nullptr)
                chosen = &*entry;
    }
    if (chosen == nullptr)
        return identifier != 0 ? E_OUTOFMEMORY : S_OK;
    chosen->identifier = identifier;
    chosen->window = identifier != 0 ? window : nullptr;
    return S_OK;
}

void ParameterMirror::notifyWindows(int code) noexcept {
    ScopedLock lock(lock_);
    for (AdvisedWindow& entry : windows_) {
        if (entry.window == nullptr)
            continue;
        if (!IsWindow(entry.window)) {
            entry = AdvisedWindow{};
            continue;
        }
        const WPARAM command =
            (static_cast<WPARAM>(code) << 16) | (static_cast<WPARAM>(entry.identifier) & 0xFFFF);
        PostMessageW(entry.window, WM_COMMAND, command, 0);
    }
}

void ParameterMirror::setFormat(FormatSlot which, const WAVEFORMATEX* format) noexcept {
    {
        ScopedLock lock(lock_);
        formatSet_[size_t(which)] = format != nullptr;
        if (format != nullptr)
            formats_[size_t(which)] = *format;
    }
    if (format != nullptr)
        notifyWindows(which == kInputFormat ? kNotifyInputFormat : kNotifyOutputFormat);
}

} // namespace miral::dx
