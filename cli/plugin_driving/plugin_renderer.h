#pragma once

// Runs interleaved mono or stereo audio through a loaded plug-in in blocks, playing the part of
// a host's audio thread: the rate and block size are announced and the effect is switched on
// for the lifetime of the renderer.

#include "host/loaded_plugin.h"

#include <cstdint>
#include <vector>

namespace miral::cli {

class PluginRenderer {
public:
    /// Announces the rate and the block size and switches the effect on (which clears its
    /// filter states). Throws std::runtime_error when the effect lacks replacing processing or
    /// two inputs and outputs, or `channels` is not 1 or 2.
    PluginRenderer(host::LoadedPlugin& plugin, float sampleRateHz, int32_t blockFrames,
                   int32_t channels);
    /// Switches the effect off.
    ~PluginRenderer();
    PluginRenderer(const PluginRenderer&) = delete;
    PluginRenderer& operator=(const PluginRenderer&) = delete;

    /// Processes `frames` interleaved frames in place, at most one block per call of the
    /// effect. Mono passes the same buffer as both inputs, as hosts do for a mono track.
    void process(float* interleaved, int64_t frames);

private:
    void processBlock(float* interleaved, int32_t frames);

    host::LoadedPlugin& plugin_;
    int32_t blockFrames_;
    int32_t channels_;
    std::vector<float> inputLeft_, inputRight_, outputLeft_, outputRight_;
};

} // namespace miral::cli
