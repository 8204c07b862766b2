#pragma once

// The plug-in's saved state: "MRLS", the record's version and the number of values (32-bit
// little-endian each), then every parameter's physical value as a 64-bit little-endian IEEE
// double, in id order. A later version may add fields after a new version number; this one
// reads version 1 only.

#include "param_facts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace miral::clap {

inline constexpr uint32_t kStateVersion = 1;
inline constexpr size_t kStateHeaderBytes = 12;
inline constexpr size_t kStateRecordBytes = kStateHeaderBytes + 8 * kParamCount;

using StateRecord = std::array<uint8_t, kStateRecordBytes>;

StateRecord encodeState(const ParamValues& values);

/// The values of a whole version-1 record; null for anything else: another length, magic,
/// version or count, or a value that is not finite or lies outside its parameter's range.
std::optional<ParamValues> decodeState(std::span<const uint8_t> bytes);

} // namespace miral::clap
