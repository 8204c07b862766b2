#include "settings/parameter_settings.h"

#include "engine/parameter_text.h"
#include "engine/params.h"
#include "engine/physical_units.h"
#include "settings/number_with_unit.h"
#include "settings/typed_text.h"
#include "usage_error.h"

#include <charconv>
#include <cstdio>

namespace miral::cli {
namespace {

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

std::string formatNumber(double value, bool withSign) {
    char text[32];
    std::snprintf(text, sizeof text, withSign ? "%+g" : "%g", value);
    return text;
}

/// The UsageError for a value `text` of parameter `index` that reads as `reading`.
UsageError refusal(int32_t index, std::string_view text, TextReading reading) {
    const std::string quoted = "\"" + std::string(text) + "\"";
    const PhysicalScale scale = physicalScale(index);
    const char* symbol = unitSymbol(scale.unit);
    switch (reading) {
    case TextReading::NotANumber:
        return UsageError(quoted + " is not a number");
    case TextReading::NotANumberWithUnit:
        return UsageError(quoted + " is not a number with a unit");
    case TextReading::WrongUnit:
        return UsageError(quoted + " has the wrong unit" +
                          (*symbol ? std::string(" (expected ") + symbol + ")"
                                   : std::string(" (expected a plain number)")));
    case TextReading::NotASwitchValue:
        return UsageError(quoted + " is not a switch value (on or off)");
    case TextReading::OutOfRange:
    case TextReading::Value:
        break;
    }
    const std::string unit = *symbol ? std::string(" ") + symbol : "";
    const bool withSign = scale.unit == PhysicalUnit::Decibel;
    return UsageError(std::string(text) + " is outside the range " +
                      formatNumber(scale.atZero, withSign) + unit + " .. " +
                      formatNumber(scale.atOne, withSign) + unit);
}

/// The UsageError for a faulty assignment.
UsageError assignmentError(const AssignmentReading& reading) {
    using Fault = AssignmentReading::Fault;
    switch (reading.fault) {
    case Fault::NotAnAssignment:
        return UsageError("\"" + reading.text + "\" is not of the form NAME=VALUE");
    case Fault::UnknownName:
        return UsageError("unknown parameter \"" + reading.name +
                          "\" (miral info lists the names)");
    case Fault::NoKnownUnit:
        return UsageError("parameter \"" + reading.name + "\" has no known unit");
    case Fault::BadValue:
    case Fault::None:
        break;
    }
    return UsageError(reading.name + ": " +
                      refusal(reading.setting.index, reading.value, reading.reading).what());
}

/// The settings of a preset read in whole; a UsageError naming the preset `name` (and the line)
/// for its first fault.
std::vector<ParameterSetting> settingsOf(const PresetReading& reading, const std::string& name) {
    using Fault = PresetReading::Fault;
    const std::string where = name + ":" + std::to_string(reading.line) + ": ";
    switch (reading.fault) {
    case Fault::None:
        break;
    case Fault::IsDirectory:
        throw UsageError("cannot read preset " + name + ": it is a directory");
    case Fault::CannotOpen:
    case Fault::CannotRead:
        throw UsageError("cannot read preset " + name);
    case Fault::NulByte:
        throw UsageError(where + "a NUL byte (is it a text file?)");
    case Fault::BadAssignment:
        throw UsageError(where + assignmentError(reading.assignment).what());
    }
    return reading.settings;
}

} // namespace

ParameterRange parameterRange(int32_t index) {
    const PhysicalScale scale = physicalScale(index);
    return {kindInfoOf(index).name, unitSymbol(scale.unit), scale.atZero, scale.atOne};
}

double physicalValue(int32_t index, float norm) {
    return normToPhysical(index, norm);
}

ParameterSetting parseNamedSetting(std::string_view assignment,
                                   const std::vector<std::string>& names) {
    const AssignmentReading reading = readAssignment(assignment, names);
    if (reading.fault != AssignmentReading::Fault::None)
        throw assignmentError(reading);
    return reading.setting;
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
    return settingsOf(readPresetText(text, names), name);
}

std::vector<ParameterSetting> readPresetFile(const std::string& path,
                                             const std::vector<std::string>& names) {
    return settingsOf(miral::readPresetFile(path, names), path);
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
