#pragma once

// Every parameter in the units users and hosts think in: dB for the gains, Hz for the
// frequencies, plain numbers for Q and the gain range, on/off for the switches. Ranges and the
// conversions both ways, by parameter index, from the tables of the parameter kinds.

#include "engine/parameter_kinds.h"

#include <cstdint>

namespace miral {

/// How parameter values read in physical terms.
struct PhysicalScale {
    PhysicalUnit unit;
    double atZero;    ///< physical value at normalised 0
    double atOne;     ///< physical value at normalised 1
    bool logarithmic; ///< the law is exponential: equal ratios take equal travel
    bool toggled;     ///< a switch: 0 off, 1 on
};

/// The scale of parameter `index` (0..25).
PhysicalScale physicalScale(int32_t index);

/// The physical value parameter `index` (0..25) has at normalised `value`: the law's dB, Hz
/// or Q, the gain range as it is, a switch as 1 (on) or 0 (off).
double normToPhysical(int32_t index, float value);

/// The normalised value of a physical one, through the inverse laws; not limited to 0..1
/// (a value outside the range maps outside it). A switch is on for any value above 0.
double physicalToNorm(int32_t index, double physical);

/// The normalised float that a physical value held in a float stands for. Where the law is
/// steeper than float resolution, several normalised floats give the same physical float; of
/// those, the one with the shortest decimal form (the form of the programs' values and of what
/// users type), so that such values come back exactly. Without any, the float nearest to
/// physicalToNorm. Not limited to 0..1. No allocation, no locale: fit for the audio thread.
float physicalToNormValue(int32_t index, float physical);

/// What every front end hands the engine for a physical value in real units: the value held to
/// the range (in float; a switch as it is), its physicalToNormValue, limited to 0..1. One
/// conversion, so that the same real-unit values give the same samples in every format. No
/// allocation, no locale: fit for the audio thread.
float engineValueOf(int32_t index, float physical);

} // namespace miral
