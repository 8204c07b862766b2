#include "engine/physical_units.h"

#include "engine/inverse_laws.h"
#include "engine/laws.h"
#include "engine/params.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace miral {

PhysicalScale physicalScale(int32_t index) {
    if (index == toIndex(ParamId::GainRange))
        return {PhysicalUnit::None, 0.0, 1.0, false, false};
    if (index == toIndex(ParamId::OutputGain))
        return {PhysicalUnit::Decibel, normToOutputGainDb(0.0f), normToOutputGainDb(1.0f), false,
                false};
    const int32_t filterIndex = bandOfParam(index);
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return {PhysicalUnit::Decibel, normToGainDb(0.0f), normToGainDb(1.0f), false, false};
    case BandParamKind::Frequency:
        return {PhysicalUnit::Hertz, normToFrequencyHz(0.0f, filterIndex),
                normToFrequencyHz(1.0f, filterIndex), true, false};
    case BandParamKind::Q:
        return {PhysicalUnit::None, normToQ(0.0f), normToQ(1.0f), true, false};
    case BandParamKind::OnOff:
        break;
    }
    return {PhysicalUnit::None, 0.0, 1.0, false, true};
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

double normToPhysical(int32_t index, float value) {
    if (index == toIndex(ParamId::GainRange))
        return value;
    if (index == toIndex(ParamId::OutputGain))
        return normToOutputGainDb(value);
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return normToGainDb(value);
    case BandParamKind::Frequency:
        return normToFrequencyHz(value, bandOfParam(index));
    case BandParamKind::Q:
        return normToQ(value);
    case BandParamKind::OnOff:
        break;
    }
    return normToEnabled(value) != 0 ? 1.0 : 0.0;
}

double physicalToNorm(int32_t index, double physical) {
    if (index == toIndex(ParamId::GainRange))
        return physical; // the gain range is its own normalised value
    if (index == toIndex(ParamId::OutputGain))
        return outputGainDbToNorm(physical);
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return gainDbToNorm(physical);
    case BandParamKind::Frequency:
        return frequencyHzToNorm(physical, bandOfParam(index));
    case BandParamKind::Q:
        return qToNorm(physical);
    case BandParamKind::OnOff:
        break;
    }
    return enabledToNorm(physical > 0.0);
}

float physicalToNormValue(int32_t index, float physical) {
    const double exact = physicalToNorm(index, physical);
    const auto nearest = static_cast<float>(exact);
    if (!std::isfinite(exact) || physicalScale(index).toggled)
        return nearest;
    for (int digits = 1; digits <= std::numeric_limits<float>::max_digits10; ++digits) {
        char text[32];
        const auto printed =
            std::to_chars(text, text + sizeof text, exact, std::chars_format::general, digits);
        float candidate = nearest;
        std::from_chars(text, printed.ptr, candidate);
        if (static_cast<float>(normToPhysical(index, candidate)) == physical)
            return candidate;
    }
    return nearest;
}

} // namespace miral
