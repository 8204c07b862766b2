#include "engine/physical_units.h"

#include "engine/params.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace miral {

PhysicalScale physicalScale(int32_t index) {
    const ParameterKindInfo& kind = kindInfoOf(index);
    const int32_t band = bandOfParam(index);
    return {kind.unit, kind.toPhysical(0.0f, band), kind.toPhysical(1.0f, band), kind.logarithmic,
            kind.toggled};
}

double normToPhysical(int32_t index, float value) {
    return kindInfoOf(index).toPhysical(value, bandOfParam(index));
}

double physicalToNorm(int32_t index, double physical) {
    return kindInfoOf(index).toNormalised(physical, bandOfParam(index));
}

float physicalToNormValue(int32_t index, float physical) {
    const double exact = physicalToNorm(index, physical);
    const auto nearest = static_cast<float>(exact);
    if (!std::isfinite(exact) || kindInfoOf(index).toggled)
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

float engineValueOf(int32_t index, float physical) {
    const PhysicalScale scale = physicalScale(index);
    if (!scale.toggled) // limited first: a frequency of 0 or below has no normalised value
        physical =
            std::clamp(physical, static_cast<float>(scale.atZero), static_cast<float>(scale.atOne));
    return std::clamp(physicalToNormValue(index, physical), 0.0f, 1.0f);
}

} // namespace miral
