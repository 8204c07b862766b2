#pragma once

// Parameter values as text, both ways, with a point as the decimal separator whatever the
// locale: the readout the editor shows after a change, and the physical values users type
// ("+6dB", "1kHz", "2", "off").

#include <cstdint>
#include <string>
#include <string_view>

namespace miral {

/// `value` with `decimals` digits after the point, at least `width` characters (padded with
/// spaces in front), as printf's "%*.*f" writes it in the C locale.
std::string fixedText(double value, int32_t width, int32_t decimals);

/// The readout of parameter `index` (0..25) at the normalised `value`: gains "8.0dB",
/// frequencies "200Hz", Q "3.2", switches "ON" (any value but 0) or "OFF", the gain range
/// "0.5", the output gain on its readout scale "-30.0dB". That scale is not the applied gain
/// (normToOutputReadoutDb), so an output-gain readout does not read back through valueFromText.
std::string readoutText(int32_t index, float value);

/// What reading a typed value gave.
enum class TextReading {
    Value,              ///< a value within the parameter's range
    NotANumber,         ///< no number starts the text
    NotANumberWithUnit, ///< the number is followed by something other than a unit
    WrongUnit,          ///< a unit the parameter does not take
    NotASwitchValue,    ///< a switch takes on/off, 1/0, true/false, yes/no
    OutOfRange,         ///< a physical value outside the parameter's range
};

struct ValueFromText {
    TextReading reading = TextReading::NotANumber;
    double physical = 0.0;   ///< in the parameter's unit; a switch 1 (on) or 0 (off)
    float normalised = 0.0f; ///< 0..1; meaningful when reading is Value
};

/// Reads a physical value typed for parameter `index` (0..25): dB for gains and Hz or kHz for
/// frequencies (either optional), plain numbers for Q and the gain range, words or 1/0 for
/// switches; letters in any case, spaces around. The normalised value is the one that gives the
/// typed physical value back exactly where one does (see physicalToNormValue).
ValueFromText valueFromText(int32_t index, std::string_view text);

} // namespace miral
