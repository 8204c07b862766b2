#include "parameter_settings.h"

#include "engine/inverse_laws.h"
#include "engine/params.h"
#include "engine/physical_units.h"
#include "quantity.h"
#include "text.h"
#include "usage_error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace miral::cli {
namespace {

// Rounding in the inverse laws may put a range's end points a hair outside 0..1.
constexpr double kRangeTolerance = 1e-9;

struct Assignment {
    std::string_view name;
    std::string_view value;
};

Assignment splitAssignment(std::string_view text) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        throw UsageError("\"" + std::string(text) + "\" is not of the form NAME=VALUE");
    return {trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))};
}

int32_t findParameter(std::string_view name, const std::vector<std::string>& names) {
    const std::string wanted = lowerCase(name);
    for (size_t i = 0; i < names.size(); ++i)
        if (lowerCase(trimmed(names[i])) == wanted)
            return static_cast<int32_t>(i);
    throw UsageError("unknown parameter \"" + std::string(name) +
                     "\" (miral info lists the names)");
}

std::string formatNumber(double value, bool withSign) {
    char text[32];
    std::snprintf(text, sizeof text, withSign ? "%+g" : "%g", value);
    return text;
}

/// The physical number of `text` in the scale's unit; kHz is accepted for frequencies.
double physicalNumber(std::string_view text, const PhysicalScale& scale) {
    const Quantity quantity = parseQuantity(text);
    const char* symbol = unitSymbol(scale.unit);
    if (quantity.unit.empty() || quantity.unit == lowerCase(symbol))
        return quantity.number;
    if (scale.unit == PhysicalUnit::Hertz && (quantity.unit == "khz" || quantity.unit == "k"))
        return quantity.number * 1000.0;
    throw UsageError("\"" + std::string(trimmed(text)) + "\" has the wrong unit" +
                     (*symbol ? std::string(" (expected ") + symbol + ")"
                              : std::string(" (expected a plain number)")));
}

float switchValue(std::string_view text) {
    const std::string word = lowerCase(text);
    for (const char* on : {"on", "1", "true", "yes"})
        if (word == on)
            return static_cast<float>(enabledToNorm(true));
    for (const char* off : {"off", "0", "false", "no"})
        if (word == off)
            return static_cast<float>(enabledToNorm(false));
    throw UsageError("\"" + std::string(text) + "\" is not a switch value (on or off)");
}

/// The normalised value of `physical` for parameter `index`, as the LV2 plug-in takes the same
/// value from a port; a UsageError naming the range when it lies outside.
float checkedNorm(int32_t index, double physical, std::string_view given,
                  const PhysicalScale& scale) {
    const double norm = physicalToNorm(index, physical);
    if (!(norm >= -kRangeTolerance && norm <= 1.0 + kRangeTolerance)) {
        const char* symbol = unitSymbol(scale.unit);
        const std::string unit = *symbol ? std::string(" ") + symbol : "";
        const bool withSign = scale.unit == PhysicalUnit::Decibel;
        throw UsageError(std::string(given) + " is outside the range " +
                         formatNumber(scale.atZero, withSign) + unit + " .. " +
                         formatNumber(scale.atOne, withSign) + unit);
    }
    return std::clamp(physicalToNormValue(index, static_cast<float>(physical)), 0.0f, 1.0f);
}

/// The kind of parameter `index`, as the JSON description names it.
const char* kindName(int32_t index) {
    if (index == toIndex(ParamId::GainRange))
        return "gain range";
    if (index == toIndex(ParamId::OutputGain))
        return "output gain";
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return "gain";
    case BandParamKind::Frequency:
        return "frequency";
    case BandParamKind::Q:
        return "q";
    case BandParamKind::OnOff:
        break;
    }
    return "switch";
}

} // namespace

ParameterRange parameterRange(int32_t index) {
    const PhysicalScale scale = physicalScale(index);
    return {kindName(index), unitSymbol(scale.unit), scale.atZero, scale.atOne};
}

double physicalValue(int32_t index, float norm) {
    return normToPhysical(index, norm);
}

ParameterSetting parseNamedSetting(std::string_view assignment,
                                   const std::vector<std::string>& names) {
    const auto [name, value] = splitAssignment(assignment);
    const int32_t index = findParameter(name, names);
    if (!isValidParamIndex(index))
        throw UsageError("parameter \"" + std::string(name) + "\" has no known unit");
    try {
        const PhysicalScale scale = physicalScale(index);
        if (scale.toggled)
            return {index, switchValue(value)};
        const double physical = physicalNumber(value, scale);
        return {index, checkedNorm(index, physical, value, scale)};
    } catch (const UsageError& error) {
        throw UsageError(std::string(name) + ": " + error.what());
    }
}

ParameterSetting parseIndexedSetting(std::string_view assignment, int32_t numParams) {
    const auto [indexText, valueText] = splitAssignment(assignment);
    int32_t index = -1;
    const auto [end, error] =
        std::from_chars(indexText.data(), indexText.data() + indexText.size(), index);
    if (error != std::errc() || end != indexText.data() + indexText.size() || index < 0 ||
        index >= numParams)
        throw UsageError("parameter index \"" + std::string(indexText) + "\" is not 0.." +
                         std::to_string(numParams - 1));
    const Quantity quantity = parseQuantity(valueText);
    if (!quantity.unit.empty() || quantity.number < 0.0 || quantity.number > 1.0)
        throw UsageError("parameter " + std::to_string(index) + ": \"" + std::string(valueText) +
                         "\" is not a normalised value 0..1");
    return {index, static_cast<float>(quantity.number)};
}

std::vector<ParameterSetting> readPreset(std::istream& text, const std::string& name,
                                         const std::vector<std::string>& names) {
    std::vector<ParameterSetting> settings;
    std::string line;
    for (int lineNumber = 1; std::getline(text, line); ++lineNumber) {
        // Editors may start UTF-8 text with a byte-order mark; messages stop at a NUL byte.
        constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
        const std::string_view content =
            trimmed(lineNumber == 1 && line.starts_with(kByteOrderMark)
                        ? std::string_view(line).substr(kByteOrderMark.size())
                        : std::string_view(line));
        if (line.find('\0') != std::string::npos)
            throw UsageError(name + ":" + std::to_string(lineNumber) +
                             ": a NUL byte (is it a text file?)");
        if (content.empty() || content.front() == '#')
            continue;
        try {
            settings.push_back(parseNamedSetting(content, names));
        } catch (const UsageError& error) {
            throw UsageError(name + ":" + std::to_string(lineNumber) + ": " + error.what());
        }
    }
    if (text.bad())
        throw UsageError("cannot read preset " + name);
    return settings;
}

std::vector<ParameterSetting> readPresetFile(const std::string& path,
                                             const std::vector<std::string>& names) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw UsageError("cannot read preset " + path + ": it is a directory");
    std::ifstream file(path);
    if (!file)
        throw UsageError("cannot read preset " + path);
    return readPreset(file, path, names);
}

std::vector<ParameterSetting> resolveSettings(const std::optional<std::string>& presetPath,
                                              const std::vector<std::string>& namedSettings,
                                              const std::vector<std::string>& indexedSettings,
                                              const std::vector<std::string>& names) {
    std::vector<ParameterSetting> settings;
    if (presetPath)
        settings = readPresetFile(*presetPath, names);
    for (const std::string& assignment : namedSettings)
        settings.push_back(parseNamedSetting(assignment, names));
    for (const std::string& assignment : indexedSettings)
        settings.push_back(parseIndexedSetting(assignment, static_cast<int32_t>(names.size())));
    return settings;
}

} // namespace miral::cli
