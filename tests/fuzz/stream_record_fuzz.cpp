// Arbitrary bytes as the filter's saved state: the reader accepts exactly the records whose
// size field is 124 and whose identifier is {29A5D7A1-E6E1-40BD-82B5-65514364895C}, whatever
// the values, and a record it accepts is written again byte for byte. Inputs shorter than a
// record are padded with zeros.

#include "dx/filter/stream_record.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint8_t kHeader[20] = {0x7C, 0,    0,    0,    0xA1, 0xD7, 0xA5, 0x29, 0xE1, 0xE6,
                                 0xBD, 0x40, 0x82, 0xB5, 0x65, 0x51, 0x43, 0x64, 0x89, 0x5C};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace miral::dx;
    StreamRecordBytes record{};
    std::copy_n(data, std::min(size, record.size()), record.begin());
    const bool ours = std::equal(std::begin(kHeader), std::end(kHeader), record.begin());

    const std::span<const uint8_t, kStreamRecordBytes> whole(record);
    if (isStreamRecordHeader(whole.first<kStreamRecordHeaderBytes>()) != ours)
        std::abort();
    const std::optional<StreamRecordValues> values = readStreamRecord(whole);
    if (values.has_value() != ours)
        std::abort();
    if (values && makeStreamRecord(*values) != record)
        std::abort();
    return 0;
}
