#include "settings/typed_text.h"

#include <algorithm>
#include <cctype>

namespace miral::cli {

std::string_view trimmed(std::string_view text) {
    const auto notSpace = [](char c) { return !std::isspace(static_cast<unsigned char>(c)); };
    const auto first = std::find_if(text.begin(), text.end(), notSpace);
    const auto last = std::find_if(text.rbegin(), text.rend(), notSpace).base();
    return first < last ? std::string_view(first, last) : std::string_view();
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace miral::cli
