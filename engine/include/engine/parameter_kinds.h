#pragma once

// The six kinds of parameter and one table for each: its unit, its law both ways and how its
// value reads on a readout. Every front end (the effect, the editor, the LV2 and CLAP plug-ins,
// the command) reads these tables instead of telling the kinds apart itself.

#include <cstdint>

namespace miral {

enum class ParameterKind { BandGain, Frequency, Q, Switch, GainRange, OutputGain };

enum class PhysicalUnit { None, Decibel, Hertz };

/// Everything that follows from a parameter's kind. The laws take the band 0..5 of a band
/// parameter (the frequency law differs between bands) and ignore it otherwise.
struct ParameterKindInfo {
    const char* name; ///< "gain", "frequency", "q", "switch", "gain range", "output gain"
    PhysicalUnit unit;
    bool logarithmic; ///< the law is exponential: equal ratios take equal travel
    bool toggled;     ///< a switch: 0 off, 1 on
    /// The physical value at normalised `value`: the law's dB, Hz or Q, the gain range as it
    /// is, a switch as 1 (on) or 0 (off).
    double (*toPhysical)(float value, int32_t band);
    /// The normalised value of a physical one through the inverse law; not limited to 0..1.
    /// A switch is on for any value above 0.
    double (*toNormalised)(double physical, int32_t band);
    /// The number the editor's readout shows for `value`, with readoutDecimals digits after
    /// the point and the unit symbol after it. None for switches, which read "ON" or "OFF".
    double (*readout)(float value, int32_t band);
    int32_t readoutDecimals;
};

/// The kind of parameter `index` (0..25).
ParameterKind parameterKind(int32_t index);

/// The table of `kind`.
const ParameterKindInfo& kindInfo(ParameterKind kind);

/// The table of parameter `index` (0..25).
const ParameterKindInfo& kindInfoOf(int32_t index);

/// "dB", "Hz" or "" for no unit.
const char* unitSymbol(PhysicalUnit unit);

} // namespace miral
