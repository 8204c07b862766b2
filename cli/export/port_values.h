#pragma once

// The LV2 control port values that stand for an effect's parameters.

#include "export/pipewire_configuration.h"

#include "vst2/vst2_interface.h"

#include <vector>

namespace miral::cli {

/// Every parameter of `effect` as its LV2 port's symbol and value. Of the floats near the
/// parameter's physical value, the one the LV2 plug-in reads back as exactly the effect's
/// normalised value, so that the plug-in sounds as the effect does; among several, the one with
/// the shortest text ("1000" rather than "999.9998" for 1 kHz).
std::vector<PortValue> portValues(AEffect& effect);

} // namespace miral::cli
