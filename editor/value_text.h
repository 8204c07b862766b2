#pragma once

// The value texts the editor shows on its display after the user changes a control, with a
// point as the decimal separator whatever the locale.

#include <cstdint>
#include <string>

namespace miral::editor {

/// The text for the control with `tag` at the normalised `value`: gains "8.0dB", frequencies
/// "200Hz", widths "3.2", switches "ON"/"OFF", the gain range "0.5", the output gain on its
/// readout scale "-30.0dB". Empty for tags that are no parameter with a control.
std::string valueText(int32_t tag, float value);

/// `value` with `decimals` digits after the point, at least `width` characters (padded with
/// spaces in front), as printf's "%*.*f" writes it in the C locale.
std::string fixedText(double value, int32_t width, int32_t decimals);

} // namespace miral::editor
