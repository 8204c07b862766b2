#include "engine/parameter_kinds.h"

#include "engine/inverse_laws.h"
#include "engine/laws.h"
#include "engine/params.h"

#include <array>
#include <cstddef>

namespace miral {
namespace {

double bandGain(float value, int32_t) {
    return normToGainDb(value);
}
double bandGainNorm(double gainDb, int32_t) {
    return gainDbToNorm(gainDb);
}
double frequency(float value, int32_t band) {
    return normToFrequencyHz(value, band);
}
double frequencyNorm(double frequencyHz, int32_t band) {
    return frequencyHzToNorm(frequencyHz, band);
}
double q(float value, int32_t) {
    return normToQ(value);
}
double qNorm(double quality, int32_t) {
    return qToNorm(quality);
}
double switchState(float value, int32_t) {
    return normToEnabled(value) != 0 ? 1.0 : 0.0;
}
double switchNorm(double state, int32_t) {
    return enabledToNorm(state > 0.0);
}
double asItIs(float value, int32_t) {
    return value; // the gain range is its own physical value
}
double asItIsNorm(double physical, int32_t) {
    return physical;
}
double outputGain(float value, int32_t) {
    return normToOutputGainDb(value);
}
double outputGainNorm(double gainDb, int32_t) {
    return outputGainDbToNorm(gainDb);
}
double outputReadout(float value, int32_t) {
    return normToOutputReadoutDb(value);
}

// In the order of ParameterKind. The switch's readout is its words, not a number.
constexpr std::array<ParameterKindInfo, 6> kKinds{{
    {"gain", PhysicalUnit::Decibel, false, false, bandGain, bandGainNorm, bandGain, 1},
    {"frequency", PhysicalUnit::Hertz, true, false, frequency, frequencyNorm, frequency, 0},
    {"q", PhysicalUnit::None, true, false, q, qNorm, q, 1},
    {"switch", PhysicalUnit::None, false, true, switchState, switchNorm, nullptr, 0},
    {"gain range", PhysicalUnit::None, false, false, asItIs, asItIsNorm, asItIs, 1},
    {"output gain", PhysicalUnit::Decibel, false, false, outputGain, outputGainNorm, outputReadout,
     1},
}};

// In the order of BandParamKind.
constexpr std::array<ParameterKind, kParamsPerBand> kBandKinds{
    ParameterKind::BandGain, ParameterKind::Frequency, ParameterKind::Q, ParameterKind::Switch};

} // namespace

ParameterKind parameterKind(int32_t index) {
    if (index == toIndex(ParamId::GainRange))
        return ParameterKind::GainRange;
    if (index == toIndex(ParamId::OutputGain))
        return ParameterKind::OutputGain;
    return kBandKinds[static_cast<std::size_t>(kindOfParam(index))];
}

const ParameterKindInfo& kindInfo(ParameterKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

const ParameterKindInfo& kindInfoOf(int32_t index) {
    return kindInfo(parameterKind(index));
}

const char* unitSymbol(PhysicalUnit unit) {
    switch (unit) {
    case PhysicalUnit::Decibel:
        return "dB";
    case PhysicalUnit::Hertz:
        return "Hz";
    case PhysicalUnit::None:
        break;
    }
    return "";
}

} // namespace miral
