#pragma once

// One effect of a plug-in library, driven only through its record, with every call watched by
// a CallWitness. The host callback is the host library's: it answers the version query and 0 to
// everything else; the automation reports it passes on are counted.

#include "host/host_callback.h"
#include "vst2/vst2_interface.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace miral::harness {

using host::EntryPoint;

class HostedEffect : private host::EffectListener {
public:
    /// The effect `entry` creates for this host, opened (effOpen); null when it refuses.
    static std::unique_ptr<HostedEffect> create(EntryPoint entry);

    /// Closes the effect unless close() did.
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    /// The record itself, for calls that must not be watched (from other threads).
    AEffect& record() { return *record_; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);
    /// Through processReplacing.
    void process(float* const* inputs, float* const* outputs, int32_t frames);
    /// effClose; the effect is gone afterwards.
    void close();

    /// Sample rate, block size, then resume (effMainsChanged 1), as hosts start an effect.
    void start(float sampleRate, int32_t blockSize);

    int automationReports() const { return automationReports_; }

private:
    HostedEffect() = default;
    void automated(int32_t, float) override { ++automationReports_; }

    AEffect* record_ = nullptr;
    std::atomic<int> automationReports_{0};
};

} // namespace miral::harness
