#include "lv2/dsp/equaliser_plugin.h"

#include "lv2/ports.h"

#include <algorithm>
#include <cmath>

namespace miral::lv2 {

EqualiserPlugin::EqualiserPlugin(double sampleRateHz) {
    applied_.fill(NAN);
    engine_.setSampleRate(static_cast<float>(sampleRateHz));
}

void EqualiserPlugin::connect(uint32_t port, void* data) {
    if (port < kNumParams)
        controls_[port] = static_cast<const float*>(data);
    else if (port == kInputLeft || port == kInputRight)
        inputs_[port - kInputLeft] = static_cast<const float*>(data);
    else if (port == kOutputLeft || port == kOutputRight)
        outputs_[port - kOutputLeft] = static_cast<float*>(data);
}

void EqualiserPlugin::activate() noexcept {
    engine_.resume();
}

void EqualiserPlugin::applyControls() noexcept {
    for (int32_t index = 0; index < kNumParams; ++index) {
        if (controls_[index] == nullptr)
            continue;
        const float value = *controls_[index];
        if (value == applied_[index])
            continue;
        applied_[index] = value;
        engine_.setParameter(index, portValueToNorm(index, value));
    }
}

void EqualiserPlugin::passThrough(uint32_t frames) noexcept {
    for (size_t channel = 0; channel < 2; ++channel)
        if (outputs_[channel] != inputs_[channel])
            std::copy_n(inputs_[channel], frames, outputs_[channel]);
}

void EqualiserPlugin::run(uint32_t frames) noexcept {
    if (std::find(inputs_.begin(), inputs_.end(), nullptr) != inputs_.end() ||
        std::find(outputs_.begin(), outputs_.end(), nullptr) != outputs_.end())
        return;
    applyControls();
    if (engine_.isBypassed()) {
        passThrough(frames);
        return;
    }
    engine_.processReplacing(inputs_.data(), outputs_.data(), static_cast<int32_t>(frames));
}

} // namespace miral::lv2
