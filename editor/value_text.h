#pragma once

// The value texts the editor shows on its display after the user changes a control: the
// parameters' readouts, with a point as the decimal separator whatever the locale.

#include "engine/parameter_text.h"

#include <cstdint>
#include <string>

namespace miral::editor {

/// The readout for the control with `tag` at the normalised `value` (see readoutText); empty
/// for tags that are no parameter with a control.
std::string valueText(int32_t tag, float value);

} // namespace miral::editor
