#pragma once

// The built plug-in library, loaded once per program, and what the checks know of it in
// advance: its counts and the host buffer sizes of its text opcodes.

#include "hosted_effect.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>

namespace miral::harness {

inline constexpr int32_t kParameterCount = 26;
inline constexpr int32_t kProgramCount = 9;

/// Host buffer sizes, terminator included: the interface's limits for names, vendor and
/// product; the plug-in's documented limits for parameter texts and program names.
inline constexpr size_t kEffectNameSize = 32;
inline constexpr size_t kVendorTextSize = 64;
inline constexpr size_t kParameterNameSize = 12;
inline constexpr size_t kParameterTextSize = 9;
inline constexpr size_t kProgramNameSize = 24;

class PluginTest : public ::testing::Test {
protected:
    /// Loads the library on first use; null, with a test failure, when it cannot be.
    static EntryPoint entry(const char* name = "VSTPluginMain");

    /// A new effect through VSTPluginMain, opened; null, with a test failure, when refused.
    static std::unique_ptr<HostedEffect> createEffect();
    /// A new effect started at `sampleRate` with `blockSize` announced.
    static std::unique_ptr<HostedEffect> startedEffect(float sampleRate = 48000.0f,
                                                       int32_t blockSize = 512);
};

} // namespace miral::harness
