#pragma once

// The plug-in's saved state: "MRLS", the record's version and the number of values (32-bit
// little-endian each), then every parameter's physical value as a 64-bit little-endian IEEE
// double, in id order; from version 2 on, then the selected factory program (32-bit
// little-endian, kNoProgram for none). Records of version 1, without the program, still load.

#include "param_facts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace miral::clap {

inline constexpr uint32_t kStateVersion = 2;
inline constexpr size_t kStateHeaderBytes = 12;
inline constexpr size_t kStateVersion1Bytes = kStateHeaderBytes + 8 * kParamCount;
inline constexpr size_t kStateRecordBytes = kStateVersion1Bytes + 4;

/// The selected program of a state without one: after a user preset, or from version 1.
inline constexpr uint32_t kNoProgram = UINT32_MAX;

struct PluginState {
    ParamValues values{};
    uint32_t program = kNoProgram; ///< the factory program loaded last, or kNoProgram
};

using StateRecord = std::array<uint8_t, kStateRecordBytes>;

StateRecord encodeState(const PluginState& state);

/// The state of a whole record of version 1 or 2; null for anything else: another length for
/// its version, another magic, version or count, a value that is not finite or lies outside
/// its parameter's range, or a program that does not exist.
std::optional<PluginState> decodeState(std::span<const uint8_t> bytes);

} // namespace miral::clap
