#include "value_text.h"

#include "editor/editor_layout.h"
#include "engine/parameter_kinds.h"
#include "engine/physical_units.h"

namespace miral::editor {

std::string valueText(int32_t tag, float value) {
    return hasControl(tag) ? readoutText(tag, value) : std::string();
}

std::string fieldText(int32_t tag, float value) {
    if (!hasControl(tag))
        return {};
    const ParameterKindInfo& kind = kindInfoOf(tag);
    if (kind.toggled)
        return readoutText(tag, value);
    std::string text = fixedText(normToPhysical(tag, value), 0, kind.readoutDecimals);
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1); // a small negative value rounded to zero
    if (kind.unit == PhysicalUnit::Decibel && !text.starts_with('-') &&
        text.find_first_not_of("0.") != std::string::npos)
        text.insert(0, 1, '+');
    if (const std::string_view unit = unitSymbol(kind.unit); !unit.empty())
        text.append(" ").append(unit);
    return text;
}

std::optional<float> typedValue(int32_t tag, std::string_view text) {
    if (!hasControl(tag))
        return std::nullopt;
    const ValueFromText reading = valueFromText(tag, text);
    if (reading.reading != TextReading::Value && reading.reading != TextReading::OutOfRange)
        return std::nullopt;
    return engineValueOf(tag, static_cast<float>(reading.physical));
}

} // namespace miral::editor
