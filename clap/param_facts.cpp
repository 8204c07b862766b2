#include "param_facts.h"

#include "engine/parameter_text.h"
#include "engine/params.h"
#include "engine/physical_units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace miral::clap {
namespace {

constexpr std::array<const char*, kNumBands> kBandModules{"Band 1", "Band 2", "Band 3",
                                                          "Band 4", "Band 5", "Band 6"};
constexpr const char* kOutputModule = "Output";

// Below this many Hz frequencies show one decimal; above it whole hertz are fine enough.
constexpr double kWholeHertzFrom = 1000.0;

int32_t engineIndex(uint32_t id) {
    return static_cast<int32_t>(id);
}

bool isGain(uint32_t id) {
    const int32_t index = engineIndex(id);
    return index == toIndex(ParamId::OutputGain) ||
           (isBandParam(index) && kindOfParam(index) == BandParamKind::Gain);
}

int decimalsFor(const PhysicalScale& scale, double plain) {
    switch (scale.unit) {
    case PhysicalUnit::Decibel:
        return 1;
    case PhysicalUnit::Hertz:
        return std::fabs(plain) < kWholeHertzFrom ? 1 : 0;
    case PhysicalUnit::None:
        break;
    }
    return 2;
}

} // namespace

ParamFacts paramFacts(uint32_t id) {
    const int32_t index = engineIndex(id);
    const PhysicalScale scale = physicalScale(index);
    const char* module =
        isBandParam(index) ? kBandModules[static_cast<size_t>(bandOfParam(index))] : kOutputModule;
    const float defaultValue = kParamTable[static_cast<size_t>(index)].defaultValue;
    return {kParamTable[static_cast<size_t>(index)].name, module,        scale.atZero, scale.atOne,
            normToPhysical(index, defaultValue),          scale.toggled, isGain(id)};
}

std::optional<double> limitedPlainValue(uint32_t id, double plain) {
    if (!std::isfinite(plain))
        return std::nullopt;
    const ParamFacts facts = paramFacts(id);
    if (facts.stepped)
        plain = std::trunc(plain);
    return std::clamp(plain, facts.minValue, facts.maxValue);
}

float normalisedValue(uint32_t id, double plain) noexcept {
    return engineValueOf(engineIndex(id), static_cast<float>(plain));
}

double plainValue(uint32_t id, float normalised) {
    return normToPhysical(engineIndex(id), normalised);
}

bool formatValue(uint32_t id, double plain, char* text, size_t capacity) {
    const PhysicalScale scale = physicalScale(engineIndex(id));
    if (capacity == 0)
        return false;
    if (scale.toggled) {
        const char* word = plain >= 1.0 ? "On" : "Off";
        if (std::strlen(word) >= capacity)
            return false;
        std::strcpy(text, word);
        return true;
    }
    char number[64];
    const auto printed = std::to_chars(number, number + sizeof number, plain,
                                       std::chars_format::fixed, decimalsFor(scale, plain));
    if (printed.ec != std::errc())
        return false;
    std::string_view shown(number, static_cast<size_t>(printed.ptr - number));
    if (shown == "-0.0" || shown == "-0.00" || shown == "-0") // a rounded small negative
        shown.remove_prefix(1);
    const char* unit = unitSymbol(scale.unit);
    const size_t unitLength = std::strlen(unit);
    const size_t length = shown.size() + (unitLength > 0 ? unitLength + 1 : 0);
    if (length >= capacity)
        return false;
    std::memcpy(text, shown.data(), shown.size());
    size_t end = shown.size();
    if (unitLength > 0) {
        text[end++] = ' ';
        std::memcpy(text + end, unit, unitLength);
        end += unitLength;
    }
    text[end] = '\0';
    return true;
}

std::optional<double> parseValue(uint32_t id, const char* text) {
    if (text == nullptr)
        return std::nullopt;
    // Read as the editor and the command read typed values; a host's text box is then limited
    // to the range instead of refused.
    const ValueFromText reading = valueFromText(engineIndex(id), text);
    if (reading.reading != TextReading::Value && reading.reading != TextReading::OutOfRange)
        return std::nullopt;
    return limitedPlainValue(id, reading.physical);
}

} // namespace miral::clap
