// libFuzzer target: preset text and --set/--param assignments as users might type them. Every
// input either parses into valid settings or is refused with a UsageError; anything else (a
// crash, another exception, a value outside 0..1) is a fault.

#include "engine/params.h"
#include "reporting/printable_text.h"
#include "settings/parameter_settings.h"
#include "usage_error.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace miral;
using namespace miral::cli;

/// The parameter names as the command reads them.
const std::vector<std::string>& fuzzedNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> table;
        for (const ParamInfo& info : kParamTable)
            table.push_back(info.name);
        return table;
    }();
    return names;
}

void expectValid(const ParameterSetting& setting) {
    if (setting.index < 0 || setting.index >= kNumParams || !std::isfinite(setting.value) ||
        setting.value < 0.0f || setting.value > 1.0f)
        std::abort();
}

template <typename Parse> void expectParsedOrRefused(Parse parse) {
    try {
        parse();
    } catch (const UsageError& error) {
        for (const char c : printable(error.what()))
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                std::abort(); // a message that would reach the terminal raw
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    expectParsedOrRefused([&] {
        std::istringstream preset(text);
        for (const ParameterSetting& setting : readPreset(preset, "fuzz", fuzzedNames()))
            expectValid(setting);
    });
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        expectParsedOrRefused([&] { expectValid(parseNamedSetting(line, fuzzedNames())); });
        expectParsedOrRefused([&] { expectValid(parseIndexedSetting(line, kNumParams)); });
    }
    return 0;
}
