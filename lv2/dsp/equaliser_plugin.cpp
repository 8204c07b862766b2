#include "dsp/equaliser_plugin.h"

#include "engine/bypass_notice.h"
#include "lv2/ports.h"
#include "platform/notice.h"

#include <algorithm>
#include <cmath>

namespace miral::lv2 {

EqualiserPlugin::EqualiserPlugin(double sampleRateHz, const LV2_URID_Map* map)
    : soloIds_(SoloUrids::mapped(map)) {
    applied_.fill(NAN);
    // Hosts of this format automate continuously: changes glide instead of stepping.
    engine_.setSmoothingTime(kDefaultSmoothingSeconds);
    engine_.setSampleRate(static_cast<float>(sampleRateHz));
    if (engine_.isBypassed())
        platform::showNotice(kBypassNoticeText, kBypassNoticeCaption);
}

void EqualiserPlugin::connect(uint32_t port, void* data) {
    if (port < kNumParams)
        controls_[port] = static_cast<const float*>(data);
    else if (port == kInputLeft || port == kInputRight)
        inputs_[port - kInputLeft] = static_cast<const float*>(data);
    else if (port == kOutputLeft || port == kOutputRight)
        outputs_[port - kOutputLeft] = static_cast<float*>(data);
    else if (port == kSoloPort)
        soloEvents_ = static_cast<const LV2_Atom_Sequence*>(data);
}

void EqualiserPlugin::activate() noexcept {
    engine_.resume();
}

void EqualiserPlugin::applyControls() noexcept {
    for (size_t port = 0; port < controls_.size(); ++port) {
        if (controls_[port] == nullptr)
            continue;
        const float value = *controls_[port];
        if (value == applied_[port])
            continue;
        applied_[port] = value;
        const auto index = static_cast<int32_t>(port);
        engine_.setParameter(index, portValueToNorm(index, value));
    }
}

void EqualiserPlugin::applySoloMessages() noexcept {
    if (soloEvents_ == nullptr)
        return;
    LV2_ATOM_SEQUENCE_FOREACH(soloEvents_, event) {
        if (const std::optional<int32_t> band = soloBandOf(soloIds_, event->body))
            engine_.setSolo(*band);
    }
}

void EqualiserPlugin::run(uint32_t frames) noexcept {
    if (std::find(inputs_.begin(), inputs_.end(), nullptr) != inputs_.end() ||
        std::find(outputs_.begin(), outputs_.end(), nullptr) != outputs_.end())
        return;
    applyControls();
    applySoloMessages();
    engine_.processReplacing(inputs_.data(), outputs_.data(), static_cast<int32_t>(frames));
}

} // namespace miral::lv2
