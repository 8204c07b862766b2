#include "dx/filter/stream_record.h"

#include <algorithm>
#include <cstring>

namespace miral::dx {
namespace {

constexpr std::uint32_t kSizeField = kStreamRecordBytes;

} // namespace

bool isStreamRecordHeader(std::span<const std::uint8_t, kStreamRecordHeaderBytes> header) noexcept {
    std::uint32_t size = 0;
    std::memcpy(&size, header.data(), sizeof size);
    return size == kSizeField &&
           std::equal(kStreamRecordIdentifier.begin(), kStreamRecordIdentifier.end(),
                      header.begin() + sizeof size);
}

std::optional<StreamRecordValues>
readStreamRecord(std::span<const std::uint8_t, kStreamRecordBytes> record) noexcept {
    if (!isStreamRecordHeader(record.first<kStreamRecordHeaderBytes>()))
        return std::nullopt;
    StreamRecordValues values;
    std::memcpy(values.data(), record.data() + kStreamRecordHeaderBytes, sizeof values);
    return values;
}

StreamRecordBytes makeStreamRecord(const StreamRecordValues& values) noexcept {
    StreamRecordBytes record{};
    std::memcpy(record.data(), &kSizeField, sizeof kSizeField);
    std::copy(kStreamRecordIdentifier.begin(), kStreamRecordIdentifier.end(),
              record.begin() + sizeof kSizeField);
    std::memcpy(record.data() + kStreamRecordHeaderBytes, values.data(), sizeof values);
    return record;
}

} // namespace miral::dx
