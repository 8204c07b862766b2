#pragma once

// A PipeWire configuration fragment that loads the LV2 plug-in in libpipewire-module-filter-chain
// as a stereo equaliser sink, every control written out in the LV2 ports' units.

#include <ostream>
#include <string>
#include <vector>

namespace miral::cli {

/// One control port's value, by the port's symbol.
struct PortValue {
    std::string symbol;
    float value = 0.0f;
};

/// The node names the configuration gives the equaliser's sink (what players play into) and
/// its output stream (what PipeWire's session manager links to the speakers).
inline constexpr const char* kPipewireSinkNode = "effect_input.miral";
inline constexpr const char* kPipewireOutputNode = "effect_output.miral";

/// Writes the configuration, headed by comment lines: what it is, `origin` (one line: where
/// its values come from) and how to install it.
void writePipewireConfiguration(std::ostream& out, const std::vector<PortValue>& controls,
                                const std::string& origin);

/// `value` in the fewest decimal digits that read back as the same float, both when parsed as
/// a float and as a double then rounded to float ("200", "3.2000008", "592.90753").
std::string exactFloatText(float value);

} // namespace miral::cli
