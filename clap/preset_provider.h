#pragma once

// The preset discovery factory: one provider that lists the factory programs (inside the
// plug-in) and the user's preset files (in the user's preset folder) for the host's browser.
// A file that cannot be read whole is reported to the host and not listed.

#include "clap_abi/presets.h"

namespace miral::clap {

const clap_preset_discovery_factory_t& presetDiscoveryFactory();

} // namespace miral::clap
