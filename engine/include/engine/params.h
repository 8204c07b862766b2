#pragma once

// The equaliser's 26 automatable parameters: indices, names, unit labels and defaults.
// Every parameter is exchanged as a normalised float, 0..1 in normal use.

#include <array>
#include <cstdint>

namespace miral {

/// Parameter index. Bands 1..6 have four parameters each (index = 4 × (band − 1) + kind);
/// the gain range and the output gain follow.
enum class ParamId : int32_t {
    Gain1,
    Freq1,
    Q1,
    OnOff1,
    Gain2,
    Freq2,
    Q2,
    OnOff2,
    Gain3,
    Freq3,
    Q3,
    OnOff3,
    Gain4,
    Freq4,
    Q4,
    OnOff4,
    Gain5,
    Freq5,
    Q5,
    OnOff5,
    Gain6,
    Freq6,
    Q6,
    OnOff6,
    GainRange,
    OutputGain,
};

inline constexpr int32_t kNumParams = 26;
inline constexpr int32_t kNumBands = 6;
inline constexpr int32_t kParamsPerBand = 4;

/// What a band parameter controls; the index within its band's group of four.
enum class BandParamKind : int32_t { Gain, Frequency, Q, OnOff };

struct ParamInfo {
    const char* name;   ///< host-visible name, at most 11 characters
    const char* label;  ///< unit label, spaces included
    float defaultValue; ///< value of a freshly made program
};

inline constexpr std::array<ParamInfo, kNumParams> kParamTable{{
    {"Gain 1", " dB ", 0.5f},     {"Freq 1", " Hz ", 0.5f},      {"Q 1", "   ", 0.5f},
    {"ON/OFF 1", "   ", 1.0f},    {"Gain 2", " dB ", 0.5f},      {"Freq 2", " Hz ", 0.5f},
    {"Q 2", "   ", 0.5f},         {"ON/OFF 2", "   ", 1.0f},     {"Gain 3", " dB ", 0.5f},
    {"Freq 3", " Hz ", 0.5f},     {"Q 3", "   ", 0.5f},          {"ON/OFF 3", "   ", 1.0f},
    {"Gain 4", " dB ", 0.5f},     {"Freq 4", " Hz ", 0.5f},      {"Q 4", "   ", 0.5f},
    {"ON/OFF 4", "   ", 1.0f},    {"Gain 5", " dB ", 0.5f},      {"Freq 5", " Hz ", 0.5f},
    {"Q 5", "   ", 0.5f},         {"ON/OFF 5", "   ", 1.0f},     {"Gain 6", " dB ", 0.5f},
    {"Freq 6", " Hz ", 0.5f},     {"Q 6", "   ", 0.5f},          {"ON/OFF 6", "   ", 1.0f},
    {"Gain Range", "    ", 1.0f}, {"Output Gain", " dB ", 0.5f},
}};

constexpr bool isValidParamIndex(int32_t index) {
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams);
}

constexpr int32_t toIndex(ParamId id) {
    return static_cast<int32_t>(id);
}

/// Index of the parameter of the given kind for band 0..5.
constexpr int32_t bandParamIndex(int32_t band, BandParamKind kind) {
    return kParamsPerBand * band + static_cast<int32_t>(kind);
}

/// True for the 24 band parameters; band and kind then follow from the index.
constexpr bool isBandParam(int32_t index) {
    return index >= 0 && index < kNumBands * kParamsPerBand;
}
constexpr int32_t bandOfParam(int32_t index) {
    return index / kParamsPerBand;
}
constexpr BandParamKind kindOfParam(int32_t index) {
    return static_cast<BandParamKind>(index % kParamsPerBand);
}

} // namespace miral
