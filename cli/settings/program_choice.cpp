#include "settings/program_choice.h"

#include "settings/typed_text.h"
#include "usage_error.h"

#include <charconv>

namespace miral::cli {
namespace {

/// "no hiss" of "05 - No hiss": the part after the number's separator, or the whole name.
std::string_view withoutNumber(std::string_view name) {
    const size_t separator = name.find(" - ");
    return separator == std::string_view::npos ? name : name.substr(separator + 3);
}

} // namespace

int32_t findProgram(std::string_view choice, const std::vector<std::string>& programNames) {
    const auto count = static_cast<int32_t>(programNames.size());
    int32_t number = -1;
    const auto [end, error] = std::from_chars(choice.data(), choice.data() + choice.size(), number);
    if (error == std::errc() && end == choice.data() + choice.size()) {
        if (number >= 0 && number < count)
            return number;
        throw UsageError("program number " + std::string(choice) + " is not 0.." +
                         std::to_string(count - 1));
    }
    const std::string wanted = lowerCase(choice);
    for (int32_t p = 0; p < count; ++p)
        if (lowerCase(programNames[static_cast<size_t>(p)]) == wanted ||
            lowerCase(withoutNumber(programNames[static_cast<size_t>(p)])) == wanted)
            return p;
    throw UsageError("unknown program \"" + std::string(choice) +
                     "\" (miral info lists the programs)");
}

} // namespace miral::cli
