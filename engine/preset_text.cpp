#include "engine/preset_text.h"

#include "engine/params.h"

#include <filesystem>
#include <fstream>

namespace miral {
namespace {

// White space and letter case in ASCII: the C library's classification depends on the locale.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

PresetReading failure(PresetReading::Fault fault) {
    PresetReading reading;
    reading.fault = fault;
    return reading;
}

} // namespace

AssignmentReading readAssignment(std::string_view text, std::span<const std::string> names) {
    using Fault = AssignmentReading::Fault;
    AssignmentReading reading;
    reading.text = text;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        reading.fault = Fault::NotAnAssignment;
        return reading;
    }
    reading.name = trimmed(text.substr(0, equals));
    reading.value = trimmed(text.substr(equals + 1));
    size_t index = 0;
    while (index < names.size() && !sameIgnoringCase(trimmed(names[index]), reading.name))
        ++index;
    if (index == names.size()) {
        reading.fault = Fault::UnknownName;
        return reading;
    }
    const auto parameter = static_cast<int32_t>(index);
    reading.setting.index = parameter;
    if (!isValidParamIndex(parameter)) {
        reading.fault = Fault::NoKnownUnit;
        return reading;
    }
    const ValueFromText value = valueFromText(parameter, reading.value);
    reading.reading = value.reading;
    if (value.reading != TextReading::Value) {
        reading.fault = Fault::BadValue;
        return reading;
    }
    reading.setting = {parameter, value.normalised};
    return reading;
}

PresetReading readPresetText(std::istream& text, std::span<const std::string> names) {
    using Fault = PresetReading::Fault;
    PresetReading reading;
    std::string line;
    for (int32_t lineNumber = 1; std::getline(text, line); ++lineNumber) {
        // Editors may start UTF-8 text with a byte-order mark.
        constexpr std::string_view kByteOrderMark = "\xef\xbb\xbf";
        const std::string_view content =
            trimmed(lineNumber == 1 && line.starts_with(kByteOrderMark)
                        ? std::string_view(line).substr(kByteOrderMark.size())
                        : std::string_view(line));
        reading.line = lineNumber;
        if (line.find('\0') != std::string::npos) {
            reading.fault = Fault::NulByte;
            break;
        }
        if (content.empty() || content.front() == '#')
            continue;
        reading.assignment = readAssignment(content, names);
        if (reading.assignment.fault != AssignmentReading::Fault::None) {
            reading.fault = Fault::BadAssignment;
            break;
        }
        reading.settings.push_back(reading.assignment.setting);
    }
    if (reading.fault == Fault::None && text.bad())
        reading.fault = Fault::CannotRead;
    if (reading.fault != Fault::None)
        reading.settings.clear();
    return reading;
}

PresetReading readPresetFile(const std::string& path, std::span<const std::string> names) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return failure(PresetReading::Fault::IsDirectory);
    std::ifstream file(path);
    if (!file)
        return failure(PresetReading::Fault::CannotOpen);
    return readPresetText(file, names);
}

std::vector<std::string> parameterNames() {
    std::vector<std::string> names;
    for (const ParamInfo& info : kParamTable)
        names.emplace_back(info.name);
    return names;
}

} // namespace miral
