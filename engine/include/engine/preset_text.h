#pragma once

// Preset text, the command's --preset format and the user's preset files: one NAME=VALUE per
// line, NAME a parameter's name as the plug-ins report it (without regard to case or
// surrounding spaces), VALUE a physical value as valueFromText reads it. Blank lines and lines
// starting with '#' are skipped; a UTF-8 byte-order mark may start the text; a NUL byte makes
// it no text at all. Reading stops at the first fault, so callers never take half a preset.

#include "engine/parameter_text.h"

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace miral {

struct PresetSetting {
    int32_t index = 0;
    float value = 0.0f; ///< normalised, 0..1
};

/// What reading one NAME=VALUE assignment gave.
struct AssignmentReading {
    enum class Fault {
        None,
        NotAnAssignment, ///< no '='
        UnknownName,     ///< no parameter has that name
        NoKnownUnit,     ///< the name is beyond the equaliser's parameters
        BadValue,        ///< the value reads as `reading` says
    };
    Fault fault = Fault::None;
    std::string text;  ///< the assignment as given
    std::string name;  ///< NAME, trimmed
    std::string value; ///< VALUE, trimmed
    TextReading reading = TextReading::Value;
    PresetSetting setting; ///< the index once the name is known; the value without a fault
};

/// Reads "NAME=VALUE"; `names` are the parameters' names in index order.
AssignmentReading readAssignment(std::string_view text, std::span<const std::string> names);

/// What reading preset text gave: the settings in order, or the first fault and its line.
struct PresetReading {
    enum class Fault {
        None,
        IsDirectory,   ///< a file name named a directory
        CannotOpen,    ///< the file could not be opened
        CannotRead,    ///< reading failed part way
        NulByte,       ///< at `line`
        BadAssignment, ///< at `line`, as `assignment` says
    };
    Fault fault = Fault::None;
    int32_t line = 0;
    AssignmentReading assignment;
    std::vector<PresetSetting> settings; ///< empty after a fault
};

/// Reads preset text; `names` as for readAssignment.
PresetReading readPresetText(std::istream& text, std::span<const std::string> names);

/// Reads the preset file at `path` as readPresetText does.
PresetReading readPresetFile(const std::string& path, std::span<const std::string> names);

/// The equaliser's parameter names in index order, as the plug-ins report them.
std::vector<std::string> parameterNames();

} // namespace miral
