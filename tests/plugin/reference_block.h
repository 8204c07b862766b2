#pragma once

// The block that the Linux and the Windows builds of the plug-in both process, to show that
// they compute the same numbers: fixed settings, a sample rate, block size and an input signal
// made with integer arithmetic only, so that it is bit-identical on every platform.

#include "vst2/vst2_interface.h"

#include <cstdint>
#include <vector>

namespace miral::reference {

inline constexpr int32_t kFrames = 8192;

struct Channels {
    std::vector<float> left;
    std::vector<float> right;
};

/// The input: noise with a slow square wave on the left, different noise with a decaying click
/// train on the right.
Channels referenceInput();

/// Sets the effect up (sample rate, block size, a program and a few parameters) and processes
/// the reference input in host-sized blocks through processReplacing.
Channels renderReferenceBlock(AEffect& effect);

} // namespace miral::reference
