#include "lv2/ports.h"

#include "engine/physical_units.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace miral::lv2 {
namespace {
// How many floats on each side of the law's value are tried for an exact round trip; the
// inverse laws are accurate to a few units in the last place.
constexpr int32_t kRoundTripSearch = 64;
} // namespace

AudioPortInfo audioPortInfo(uint32_t port) {
    switch (port) {
    case kInputLeft:
        return {"in_l", "Left In", true};
    case kInputRight:
        return {"in_r", "Right In", true};
    case kOutputLeft:
        return {"out_l", "Left Out", false};
    default:
        return {"out_r", "Right Out", false};
    }
}

std::string controlPortSymbol(int32_t index) {
    std::string symbol;
    bool separate = false;
    for (const char c : std::string(kParamTable[index].name)) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            separate = !symbol.empty();
            continue;
        }
        if (separate)
            symbol += '_';
        separate = false;
        symbol += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return symbol;
}

float portValueToNorm(int32_t index, float portValue) {
    return static_cast<float>(std::clamp(physicalToNorm(index, portValue), 0.0, 1.0));
}

float normToPortValue(int32_t index, float value) {
    const float nearest = static_cast<float>(normToPhysical(index, value));
    float below = nearest;
    float above = nearest;
    for (int32_t step = 0; step <= kRoundTripSearch; ++step) {
        if (portValueToNorm(index, above) == value)
            return above;
        if (portValueToNorm(index, below) == value)
            return below;
        above = std::nextafter(above, INFINITY);
        below = std::nextafter(below, -INFINITY);
    }
    return nearest;
}

} // namespace miral::lv2
