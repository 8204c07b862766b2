#include "engine/parameter_text.h"

#include "engine/params.h"
#include "engine/physical_units.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace miral {
namespace {

// Readouts are at least this wide, as "%2.1f" and "%2.0f" write them.
constexpr int32_t kReadoutWidth = 2;

// Rounding in the inverse laws may put a range's end points a hair outside 0..1.
constexpr double kRangeTolerance = 1e-9;

// Letters are compared in ASCII: the C library's classification depends on the locale.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowerCase(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), lower);
    return lowered;
}

struct Quantity {
    double number = 0.0;
    std::string unit; ///< lower case, empty when none was given
};

/// Splits `text` into a finite number (an optional sign, digits, a point, an exponent) and the
/// letters after it.
TextReading readQuantity(std::string_view text, Quantity& quantity) {
    std::string_view rest = trimmed(text);
    const bool plus = rest.starts_with('+');
    if (plus) // from_chars takes no plus sign
        rest.remove_prefix(1);
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(),
                                              quantity.number, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(quantity.number) || (plus && rest.starts_with('-')))
        return TextReading::NotANumber;
    const std::string_view unit =
        trimmed(std::string_view(end, static_cast<size_t>(rest.data() + rest.size() - end)));
    if (!std::all_of(unit.begin(), unit.end(), isLetter))
        return TextReading::NotANumberWithUnit;
    quantity.unit = lowerCase(unit);
    return TextReading::Value;
}

ValueFromText switchFromText(int32_t index, std::string_view text) {
    const std::string word = lowerCase(trimmed(text));
    for (const bool on : {true, false})
        for (const char* spelling :
             on ? std::array{"on", "1", "true", "yes"} : std::array{"off", "0", "false", "no"})
            if (word == spelling) {
                const double physical = on ? 1.0 : 0.0;
                return {TextReading::Value, physical,
                        static_cast<float>(physicalToNorm(index, physical))};
            }
    return {TextReading::NotASwitchValue};
}

} // namespace

std::string fixedText(double value, int32_t width, int32_t decimals) {
    // Formatted without the C library's locale-dependent printf: a host may run under a locale
    // with a decimal comma.
    std::array<char, 64> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed, decimals);
    std::string text = error == std::errc{} ? std::string(digits.data(), end) : std::string("?");
    if (static_cast<int32_t>(text.size()) < width)
        text.insert(0, size_t(width) - text.size(), ' ');
    return text;
}

std::string readoutText(int32_t index, float value) {
    const ParameterKindInfo& kind = kindInfoOf(index);
    if (kind.toggled)
        return value != 0.0f ? "ON" : "OFF";
    return fixedText(kind.readout(value, bandOfParam(index)), kReadoutWidth, kind.readoutDecimals) +
           unitSymbol(kind.unit);
}

ValueFromText valueFromText(int32_t index, std::string_view text) {
    const ParameterKindInfo& kind = kindInfoOf(index);
    if (kind.toggled)
        return switchFromText(index, text);
    Quantity quantity;
    if (const TextReading reading = readQuantity(text, quantity); reading != TextReading::Value)
        return {reading};
    double physical = quantity.number;
    if (kind.unit == PhysicalUnit::Hertz && (quantity.unit == "khz" || quantity.unit == "k"))
        physical *= 1000.0;
    else if (!quantity.unit.empty() && quantity.unit != lowerCase(unitSymbol(kind.unit)))
        return {TextReading::WrongUnit};
    const double norm = physicalToNorm(index, physical);
    if (!(norm >= -kRangeTolerance && norm <= 1.0 + kRangeTolerance))
        return {TextReading::OutOfRange, physical};
    return {TextReading::Value, physical, engineValueOf(index, static_cast<float>(physical))};
}

} // namespace miral
