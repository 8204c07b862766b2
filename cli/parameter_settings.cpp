#include "parameter_settings.h"

#include "engine/inverse_laws.h"
#include "engine/laws.h"
#include "engine/params.h"
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

/// How one kind of parameter reads a value: its unit, its law's inverse and the range in
/// physical units for messages.
struct ValueReader {
    const char* kind;     ///< "gain", "frequency", "q", "gain range", "output gain"
    const char* unit;     ///< the unit in messages, empty for none
    bool signedValues;    ///< values are shown with a sign
    double atZero, atOne; ///< physical values at the ends of the range
    double (*toNorm)(double physical, int32_t filterIndex);
    double (*fromNorm)(float norm, int32_t filterIndex);
};

double gainToNorm(double db, int32_t) {
    return gainDbToNorm(db);
}
double frequencyToNorm(double hz, int32_t filterIndex) {
    return frequencyHzToNorm(hz, filterIndex);
}
double qualityToNorm(double q, int32_t) {
    return qToNorm(q);
}
double gainRangeToNorm(double factor, int32_t) {
    return factor; // the gain range is its own normalised value
}
double outputToNorm(double db, int32_t) {
    return outputGainDbToNorm(db);
}
double gainOf(float norm, int32_t) {
    return normToGainDb(norm);
}
double frequencyOf(float norm, int32_t filterIndex) {
    return normToFrequencyHz(norm, filterIndex);
}
double qualityOf(float norm, int32_t) {
    return normToQ(norm);
}
double gainRangeOf(float norm, int32_t) {
    return norm;
}
double outputOf(float norm, int32_t) {
    return normToOutputGainDb(norm);
}

ValueReader readerFor(int32_t index) {
    if (index == toIndex(ParamId::GainRange))
        return {"gain range", "", false, 0.0, 1.0, gainRangeToNorm, gainRangeOf};
    if (index == toIndex(ParamId::OutputGain))
        return {"output gain", "dB",    true, normToOutputGainDb(0.0f), normToOutputGainDb(1.0f),
                outputToNorm,  outputOf};
    const int32_t filterIndex = bandOfParam(index);
    switch (kindOfParam(index)) {
    case BandParamKind::Gain:
        return {"gain", "dB", true, normToGainDb(0.0f), normToGainDb(1.0f), gainToNorm, gainOf};
    case BandParamKind::Frequency:
        return {"frequency",
                "Hz",
                false,
                normToFrequencyHz(0.0f, filterIndex),
                normToFrequencyHz(1.0f, filterIndex),
                frequencyToNorm,
                frequencyOf};
    default:
        return {"q", "", false, normToQ(0.0f), normToQ(1.0f), qualityToNorm, qualityOf};
    }
}

/// The physical number of `text` in the reader's unit; kHz is accepted for frequencies.
double physicalNumber(std::string_view text, const ValueReader& reader) {
    const Quantity quantity = parseQuantity(text);
    const std::string unit = lowerCase(reader.unit);
    if (quantity.unit.empty() || quantity.unit == unit)
        return quantity.number;
    if (unit == "hz" && (quantity.unit == "khz" || quantity.unit == "k"))
        return quantity.number * 1000.0;
    throw UsageError("\"" + std::string(trimmed(text)) + "\" has the wrong unit" +
                     (*reader.unit ? std::string(" (expected ") + reader.unit + ")"
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

/// `norm` within 0..1 as a float; a UsageError naming the range otherwise.
float checkedNorm(double norm, std::string_view given, const ValueReader& reader) {
    if (!(norm >= -kRangeTolerance && norm <= 1.0 + kRangeTolerance)) {
        const std::string unit = *reader.unit ? std::string(" ") + reader.unit : "";
        throw UsageError(std::string(given) + " is outside the range " +
                         formatNumber(reader.atZero, reader.signedValues) + unit + " .. " +
                         formatNumber(reader.atOne, reader.signedValues) + unit);
    }
    return static_cast<float>(std::clamp(norm, 0.0, 1.0));
}

bool isSwitch(int32_t index) {
    return isBandParam(index) && kindOfParam(index) == BandParamKind::OnOff;
}

} // namespace

ParameterRange parameterRange(int32_t index) {
    if (isSwitch(index))
        return {"switch", "", 0.0, 1.0};
    const ValueReader reader = readerFor(index);
    return {reader.kind, reader.unit, reader.atZero, reader.atOne};
}

double physicalValue(int32_t index, float norm) {
    if (isSwitch(index))
        return normToEnabled(norm) != 0 ? 1.0 : 0.0;
    return readerFor(index).fromNorm(norm, bandOfParam(index));
}

ParameterSetting parseNamedSetting(std::string_view assignment,
                                   const std::vector<std::string>& names) {
    const auto [name, value] = splitAssignment(assignment);
    const int32_t index = findParameter(name, names);
    if (!isValidParamIndex(index))
        throw UsageError("parameter \"" + std::string(name) + "\" has no known unit");
    try {
        if (isSwitch(index))
            return {index, switchValue(value)};
        const ValueReader reader = readerFor(index);
        const double physical = physicalNumber(value, reader);
        return {index, checkedNorm(reader.toNorm(physical, bandOfParam(index)), value, reader)};
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
        const std::string_view content = trimmed(line);
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
