#pragma once

// The LV2 plug-in's ports: one control port per parameter, with the parameter's index as port
// index and its value in physical units (dB, Hz, Q, on/off), then the stereo audio ports, then
// the optional event input by which the user interface solos a band (solo_message.h).
// Port symbols name the parameters; sessions store values under them, so they never change.

#include "engine/params.h"

#include <cstdint>
#include <string>

namespace miral::lv2 {

enum AudioPort : uint32_t {
    kInputLeft = kNumParams,
    kInputRight,
    kOutputLeft,
    kOutputRight,
};
/// Atom sequence input for the user interface's solo messages; hosts may leave it unconnected.
inline constexpr uint32_t kSoloPort = kOutputRight + 1;
inline constexpr uint32_t kNumPorts = kSoloPort + 1;

struct AudioPortInfo {
    const char* symbol;
    const char* name;
    bool isInput;
};

/// Symbol, name and direction of audio port `port` (kInputLeft .. kOutputRight).
AudioPortInfo audioPortInfo(uint32_t port);

/// The control port symbol of parameter `index`: its name in lower case with runs of other
/// characters as one underscore ("Gain 1" gain_1, "ON/OFF 2" on_off_2).
std::string controlPortSymbol(int32_t index);

/// The normalised value a control port's physical value gives; values beyond the port's range
/// count as its end (NaN stays NaN, which the engine refuses).
float portValueToNorm(int32_t index, float portValue);

/// The port value that stands for normalised `value`: the law's physical value as a float.
/// portValueToNorm gives `value` back exactly for values of a few decimals (the programs');
/// others come back within a unit or two in the last place.
float normToPortValue(int32_t index, float value);

} // namespace miral::lv2
