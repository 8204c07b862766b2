#include "plugin_driving/plugin_renderer.h"

#include <algorithm>
#include <stdexcept>

namespace miral::cli {

PluginRenderer::PluginRenderer(host::LoadedPlugin& plugin, float sampleRateHz, int32_t blockFrames,
                               int32_t channels)
    : plugin_(plugin), blockFrames_(blockFrames), channels_(channels),
      inputLeft_(static_cast<size_t>(blockFrames)), inputRight_(static_cast<size_t>(blockFrames)),
      outputLeft_(static_cast<size_t>(blockFrames)),
      outputRight_(static_cast<size_t>(blockFrames)) {
    const AEffect& effect = plugin.effect();
    if (!effect.processReplacing || !(effect.flags & effFlagsCanReplacing))
        throw std::runtime_error("the plug-in offers no replacing processing");
    if (effect.numInputs != 2 || effect.numOutputs != 2)
        throw std::runtime_error("the plug-in is not a stereo effect");
    if (channels != 1 && channels != 2)
        throw std::runtime_error("only mono and stereo audio can be processed");
    plugin_.dispatch(effSetSampleRate, 0, 0, nullptr, sampleRateHz);
    plugin_.dispatch(effSetBlockSize, 0, blockFrames);
    plugin_.dispatch(effMainsChanged, 0, 1);
}

PluginRenderer::~PluginRenderer() {
    plugin_.dispatch(effMainsChanged, 0, 0);
}

void PluginRenderer::process(float* interleaved, int64_t frames) {
    for (int64_t done = 0; done < frames;) {
        const auto block = static_cast<int32_t>(std::min<int64_t>(blockFrames_, frames - done));
        processBlock(interleaved + done * channels_, block);
        done += block;
    }
}

void PluginRenderer::processBlock(float* interleaved, int32_t frames) {
    // Separate loops for mono and stereo, with fixed strides the compiler can vectorise.
    const bool stereo = channels_ == 2;
    const auto count = static_cast<size_t>(frames);
    if (stereo) {
        for (size_t i = 0; i < count; ++i) {
            inputLeft_[i] = interleaved[2 * i];
            inputRight_[i] = interleaved[2 * i + 1];
        }
    } else {
        std::copy_n(interleaved, count, inputLeft_.data());
    }
    float* inputs[2] = {inputLeft_.data(), stereo ? inputRight_.data() : inputLeft_.data()};
    float* outputs[2] = {outputLeft_.data(), outputRight_.data()};
    AEffect& effect = plugin_.effect();
    effect.processReplacing(&effect, inputs, outputs, frames);
    if (stereo) {
        for (size_t i = 0; i < count; ++i) {
            interleaved[2 * i] = outputLeft_[i];
            interleaved[2 * i + 1] = outputRight_[i];
        }
    } else {
        std::copy_n(outputLeft_.data(), count, interleaved);
    }
}

} // namespace miral::cli
