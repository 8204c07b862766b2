#pragma once

// Everything the CLAP plug-in knows about its 26 parameters, in one place: names, modules,
// ranges and defaults in physical units (dB, Hz, Q, on/off), the conversions to the engine's
// normalised values and the text shown to and typed by users. Nothing else in clap/ reads the
// engine's parameter tables or laws.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace miral::clap {

/// Parameters the plug-in offers; ids are 0..count-1 and never change.
inline constexpr uint32_t kParamCount = 26;

struct ParamFacts {
    const char* name;   ///< "Gain 1", as every other build of the equaliser names it
    const char* module; ///< "Band 1" .. "Band 6" or "Output"
    double minValue;    ///< physical value at the lower end
    double maxValue;    ///< physical value at the upper end
    double defaultValue;
    bool stepped;     ///< a switch: 0 off, 1 on
    bool modulatable; ///< a gain: hosts may add a modulation offset
};

/// Physical values of every parameter, by id.
using ParamValues = std::array<double, kParamCount>;

constexpr bool isParamId(uint32_t id) {
    return id < kParamCount;
}

/// Facts of parameter `id` (0..25).
ParamFacts paramFacts(uint32_t id);

/// `plain` held to the parameter's range; a switch's value truncated to 0 or 1. Null for a
/// non-finite value.
std::optional<double> limitedPlainValue(uint32_t id, double plain);

/// The engine's normalised value for a physical value already limited to the range. No
/// allocation, no lock: fit for the audio thread.
float normalisedValue(uint32_t id, double plain) noexcept;

/// The physical value of the engine's normalised value (a switch 0 or 1).
double plainValue(uint32_t id, float normalised);

/// Writes the value as users read it ("-3.5 dB", "440.0 Hz", "2.50", "On") into `text` of
/// `capacity` bytes; false when it does not fit.
bool formatValue(uint32_t id, double plain, char* text, size_t capacity);

/// The physical value of typed text: a number with or without its unit ("440", "440 Hz",
/// "1.5 kHz", "-3 dB"), "On"/"Off" for switches; limited to the range. Null for anything else.
std::optional<double> parseValue(uint32_t id, const char* text);

} // namespace miral::clap
