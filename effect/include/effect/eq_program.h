#pragma once

// Programs of the equaliser: 26 normalised values grouped by kind of parameter (six gains, six
// frequencies, six Qs, six switches, gain range, output gain) and a name, plus the nine factory
// programs.

#include "engine/params.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace miral {

inline constexpr int32_t kNumPrograms = 9;
inline constexpr int32_t kProgramNameSize = 24; ///< with the terminator

/// Slot of a parameter in EqProgram::values: kind-major, so slot 6 × kind + band.
constexpr int32_t slotOfParam(int32_t index) {
    return isBandParam(index)
               ? kNumBands * static_cast<int32_t>(kindOfParam(index)) + bandOfParam(index)
               : index;
}

/// Parameter of a slot; the inverse of slotOfParam.
constexpr int32_t paramOfSlot(int32_t slot) {
    return slot < kNumBands * kParamsPerBand
               ? bandParamIndex(slot % kNumBands, static_cast<BandParamKind>(slot / kNumBands))
               : slot;
}

struct EqProgram {
    std::array<float, kNumParams> values{}; ///< indexed by slot, not by parameter
    std::array<char, kProgramNameSize> name{};

    float& inSlot(int32_t slot) { return values[static_cast<std::size_t>(slot)]; }
    float inSlot(int32_t slot) const { return values[static_cast<std::size_t>(slot)]; }
    /// The value of parameter `index`, 0 .. kNumParams - 1.
    float& ofParam(int32_t index) { return inSlot(slotOfParam(index)); }

    /// A fresh program: every parameter at its default, named "Init".
    EqProgram();
};

/// The nine factory programs, "00 - Flat" to "08 - Contour".
const std::array<EqProgram, kNumPrograms>& factoryPrograms();

} // namespace miral
