#include "state_record.h"

#include "effect/eq_program.h"

#include <bit>
#include <cstring>

namespace miral::clap {
namespace {

constexpr std::array<uint8_t, 4> kMagic{'M', 'R', 'L', 'S'};

void putLittleEndian(uint8_t* out, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t getLittleEndian(const uint8_t* in, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
        value |= uint64_t{in[i]} << (8 * i);
    return value;
}

} // namespace

StateRecord encodeState(const PluginState& state) {
    StateRecord record{};
    std::memcpy(record.data(), kMagic.data(), kMagic.size());
    putLittleEndian(record.data() + 4, kStateVersion, 4);
    putLittleEndian(record.data() + 8, kParamCount, 4);
    for (size_t i = 0; i < kParamCount; ++i)
        putLittleEndian(record.data() + kStateHeaderBytes + 8 * i,
                        std::bit_cast<uint64_t>(state.values[i]), 8);
    putLittleEndian(record.data() + kStateVersion1Bytes, state.program, 4);
    return record;
}

std::optional<PluginState> decodeState(std::span<const uint8_t> bytes) {
    if (bytes.size() < kStateHeaderBytes ||
        std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0 ||
        getLittleEndian(bytes.data() + 8, 4) != kParamCount)
        return std::nullopt;
    const uint64_t version = getLittleEndian(bytes.data() + 4, 4);
    if (!((version == 1 && bytes.size() == kStateVersion1Bytes) ||
          (version == kStateVersion && bytes.size() == kStateRecordBytes)))
        return std::nullopt;
    PluginState state;
    if (version == kStateVersion) {
        state.program =
            static_cast<uint32_t>(getLittleEndian(bytes.data() + kStateVersion1Bytes, 4));
        if (state.program != kNoProgram && state.program >= uint32_t{kNumPrograms})
            return std::nullopt;
    }
    for (uint32_t id = 0; id < kParamCount; ++id) {
        const auto value =
            std::bit_cast<double>(getLittleEndian(bytes.data() + kStateHeaderBytes + 8 * id, 8));
        const std::optional<double> limited = limitedPlainValue(id, value);
        if (!limited || *limited != value)
            return std::nullopt;
        state.values[id] = value;
    }
    return state;
}

} // namespace miral::clap
