#pragma once

// The 26-value parameter mirror COM clients read and write (IEqParameters), the two formats
// the filter was given, and the windows advised of changes.
//
// Threads: any. The lock guards the mirror's bulk operations, the formats and the window
// entries; single values are atomic. While the effect is bypassed (a rate below 44.1 kHz) it
// ignores writes: the mirror then keeps what clients set and hands it over once the effect
// runs again, so that no edit is lost.

#include "dx/filter/eq_interfaces.h"
#include "dx/framework/critical_section.h"
#include "owner_delegation.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace miral::dx {

enum FormatSlot { kInputFormat = 0, kOutputFormat = 1 };

using ParameterValues = std::array<float, kEqParameterCount>;

class ParameterMirror final : public OwnerDelegation<IEqParameters> {
public:
    /// Zeroed, unsaved clear, no windows, no formats, no effect.
    explicit ParameterMirror(IUnknown& owner) noexcept;

    /// The effect whose values the mirror follows; null detaches.
    void attach(AEffect* effect) noexcept { effect_ = effect; }

    /// The automate callback: entry `index` from the effect. Indices outside 0..25 do nothing,
    /// and neither does anything while the effect is bypassed. Any thread, no lock.
    void pullParameter(int32_t index) noexcept;
    /// Whether the effect ignores writes now. Leaving the bypass hands every value the effect
    /// does not have over to it.
    void setEffectBypassed(bool bypassed) noexcept;

    /// Format copy for input or output, or null while none is set; then posts the format
    /// notice to the advised windows.
    void setFormat(FormatSlot which, const WAVEFORMATEX* format) noexcept;
    /// Posts WM_COMMAND with `code` to each advised window; windows that no longer exist are
    /// dropped from the table.
    void notifyWindows(int code) noexcept;

    ParameterValues values() const noexcept;
    bool unsaved() const noexcept { return unsaved_.load(); }
    void markSaved() noexcept { unsaved_.store(false); }

    HRESULT STDMETHODCALLTYPE GetParameters(float* values) override;
    HRESULT STDMETHODCALLTYPE SetParameters(const float* values) override;
    HRESULT STDMETHODCALLTYPE GetFormat(WAVEFORMATEX* format, long which) override;
    HRESULT STDMETHODCALLTYPE GetEffect(AEffect** effect) override;
    float STDMETHODCALLTYPE GetParameter(long index) override;
    HRESULT STDMETHODCALLTYPE SetParameter(long index, float value) override;
    HRESULT STDMETHODCALLTYPE AdviseWindow(HWND window, long identifier) override;

private:
    struct AdvisedWindow {
        HWND window = nullptr;
        long identifier = 0;
    };

    /// Stores `value` (clamped) at `index` and passes it to a running effect; lock held.
    void store(int index, float value) noexcept;

    mutable CriticalSection lock_;
    std::array<std::atomic<float>, kEqParameterCount> params_;
    std::atomic<bool> unsaved_{false};
    std::atomic<bool> effectBypassed_{false};
    std::array<AdvisedWindow, 2> windows_{};
    std::array<WAVEFORMATEX, 2> formats_{};
    std::array<bool, 2> formatSet_{};
    AEffect* effect_ = nullptr;
};

} // namespace miral::dx
