#include "preset_library.h"

#include "effect/eq_program.h"
#include "engine/preset_text.h"

#include <charconv>
#include <cstring>
#include <filesystem>

namespace miral::clap {

uint32_t programCount() {
    return static_cast<uint32_t>(kNumPrograms);
}

const char* programName(uint32_t program) {
    return factoryPrograms()[program].name.data();
}

std::string loadKeyOf(uint32_t program) {
    return std::to_string(program);
}

std::optional<uint32_t> programOfLoadKey(const char* key) {
    if (key == nullptr)
        return std::nullopt;
    const char* end = key + std::strlen(key);
    uint32_t program = 0;
    const auto [stop, error] = std::from_chars(key, end, program);
    // The exact key only: no sign, spaces or leading zeros.
    if (error != std::errc() || stop != end || program >= programCount() ||
        loadKeyOf(program) != key)
        return std::nullopt;
    return program;
}

ParamValues programValues(uint32_t program) {
    EqProgram loaded = factoryPrograms()[program]; // a copy: ofParam is not const
    ParamValues plain{};
    for (uint32_t id = 0; id < kParamCount; ++id)
        plain[id] = plainValue(id, loaded.ofParam(static_cast<int32_t>(id)));
    return plain;
}

UserPreset readUserPreset(const char* path) {
    using Fault = PresetReading::Fault;
    const PresetReading reading = readPresetFile(path, parameterNames());
    switch (reading.fault) {
    case Fault::None:
        break;
    case Fault::IsDirectory:
        return {std::nullopt, "a folder, not a preset file"};
    case Fault::CannotOpen:
    case Fault::CannotRead:
        return {std::nullopt, "the file cannot be read"};
    case Fault::NulByte:
    case Fault::BadAssignment:
        return {std::nullopt, "not a MIRAL preset (line " + std::to_string(reading.line) + ")"};
    }
    ParamValues values{};
    for (uint32_t id = 0; id < kParamCount; ++id)
        values[id] = paramFacts(id).defaultValue;
    for (const PresetSetting& setting : reading.settings)
        values[static_cast<uint32_t>(setting.index)] =
            plainValue(static_cast<uint32_t>(setting.index), setting.value);
    return {values, {}};
}

std::string userPresetName(const char* path) {
    return std::filesystem::path(path).stem().string();
}

} // namespace miral::clap
