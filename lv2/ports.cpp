#include "lv2/ports.h"

#include "engine/physical_units.h"

#include <cctype>

namespace miral::lv2 {

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
    for (const char c : std::string(kParamTable[static_cast<size_t>(index)].name)) {
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
    return engineValueOf(index, portValue);
}

float normToPortValue(int32_t index, float value) {
    return static_cast<float>(normToPhysical(index, value));
}

} // namespace miral::lv2
