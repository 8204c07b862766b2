#include "effect/eq_program.h"

#include <cstring>
#include <iterator>

namespace miral {
namespace {

constexpr const char* kFactoryNames[kNumPrograms] = {
    "00 - Flat",    "01 - Bass boost",      "02 - Bass cut", "03 - Bright and fat", "04 - Loudness",
    "05 - No hiss", "06 - Pump up da bass", "07 - Presence", "08 - Contour",
};

// Gains, frequencies and Qs of the factory programs, one row per slot, one column per program.
// The switches, the gain range and the output gain keep their defaults in every program.
constexpr float kFactorySlots[18][kNumPrograms] = {
    {0.5f, 0.7f, 0.0f, 0.0f, 0.7f, 0.5f, 0.0f, 0.5f, 0.6f},  // Gain 1
    {0.5f, 0.5f, 0.6f, 0.7f, 0.5f, 0.5f, 0.9f, 0.7f, 0.5f},  // Gain 2
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.4f},  // Gain 3
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.4f},  // Gain 4
    {0.5f, 0.5f, 0.5f, 0.7f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f},  // Gain 5
    {0.5f, 0.5f, 0.5f, 0.5f, 0.7f, 0.0f, 0.5f, 0.5f, 0.6f},  // Gain 6
    {0.5f, 0.5f, 0.4f, 0.0f, 0.5f, 0.5f, 0.25f, 0.5f, 0.5f}, // Freq 1
    {0.5f, 0.1f, 0.25f, 0.1f, 0.5f, 0.5f, 0.1f, 0.7f, 0.5f}, // Freq 2
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.45f}, // Freq 3
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.55f}, // Freq 4
    {0.5f, 0.5f, 0.5f, 1.0f, 0.6f, 0.75f, 0.5f, 0.5f, 0.5f}, // Freq 5
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f},  // Freq 6
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},  // Q 1
    {0.5f, 0.9f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f},  // Q 2
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f},  // Q 3
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f},  // Q 4
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f, 0.5f},  // Q 5
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},  // Q 6
};

std::array<EqProgram, kNumPrograms> makeFactoryPrograms() {
    std::array<EqProgram, kNumPrograms> programs;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        for (std::size_t slot = 0; slot < std::size(kFactorySlots); ++slot)
            programs[p].values[slot] = kFactorySlots[slot][p];
        std::strncpy(programs[p].name.data(), kFactoryNames[p], kProgramNameSize - 1);
    }
    return programs;
}

} // namespace

EqProgram::EqProgram() {
    for (int32_t slot = 0; slot < kNumParams; ++slot)
        inSlot(slot) = kParamTable[static_cast<std::size_t>(paramOfSlot(slot))].defaultValue;
    std::strncpy(name.data(), "Init", kProgramNameSize - 1);
}

const std::array<EqProgram, kNumPrograms>& factoryPrograms() {
    static const std::array<EqProgram, kNumPrograms> programs = makeFactoryPrograms();
    return programs;
}

} // namespace miral
