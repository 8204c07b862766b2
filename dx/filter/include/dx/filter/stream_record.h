#pragma once

// The filter's saved state, the 124-byte stream record: a size field (124), the parameter
// interface's identifier in GUID byte layout, and the 26 normalised parameter values as
// floats, all in the machine's (little-endian) byte order. Free of Windows types, so that the
// filter and a fuzzer on Linux read records with the same code.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace miral::dx {

inline constexpr std::size_t kStreamRecordValueCount = 26;
/// Size field and identifier.
inline constexpr std::size_t kStreamRecordHeaderBytes = 4 + 16;
inline constexpr std::size_t kStreamRecordBytes =
    kStreamRecordHeaderBytes + 4 * kStreamRecordValueCount; // 124

using StreamRecordValues = std::array<float, kStreamRecordValueCount>;
using StreamRecordBytes = std::array<std::uint8_t, kStreamRecordBytes>;

/// {29A5D7A1-E6E1-40BD-82B5-65514364895C} as it lies in a record.
inline constexpr std::array<std::uint8_t, 16> kStreamRecordIdentifier = {
    0xA1, 0xD7, 0xA5, 0x29, 0xE1, 0xE6, 0xBD, 0x40, 0x82, 0xB5, 0x65, 0x51, 0x43, 0x64, 0x89, 0x5C};

/// True when a record's first 20 bytes are this record's: size 124 and the identifier. Lets a
/// reader refuse a foreign stream before it reads any further.
bool isStreamRecordHeader(std::span<const std::uint8_t, kStreamRecordHeaderBytes> header) noexcept;

/// The values of a whole record as stored (not a number and out-of-range values included: the
/// reader clamps them as it clamps every write), or nothing when the header is not this
/// record's.
std::optional<StreamRecordValues>
readStreamRecord(std::span<const std::uint8_t, kStreamRecordBytes> record) noexcept;

/// The record of `values`.
StreamRecordBytes makeStreamRecord(const StreamRecordValues& values) noexcept;

} // namespace miral::dx
