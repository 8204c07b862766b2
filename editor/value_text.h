#pragma once

// The value texts the editor shows on its display after the user changes a control: the
// parameters' readouts, with a point as the decimal separator whatever the locale; and the
// values typed into its value field, both ways.

#include "engine/parameter_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace miral::editor {

/// The readout for the control with `tag` at the normalised `value` (see readoutText); empty
/// for tags that are no parameter with a control.
std::string valueText(int32_t tag, float value);

/// The text the value field opens with for the control with `tag` at the normalised `value`:
/// the physical value in the parameter's unit at the readout's precision, as it is typed
/// ("+3.5 dB", "1000 Hz", "2.0"). For the output gain that is the applied gain, which its
/// readout does not show.
std::string fieldText(int32_t tag, float value);

/// The normalised value that typed `text` sets the control with `tag` to: the physical value
/// valueFromText reads (the command's reading of --set), limited to the parameter's range.
/// None for text that is no value of the parameter, and for tags without a control.
std::optional<float> typedValue(int32_t tag, std::string_view text);

} // namespace miral::editor
