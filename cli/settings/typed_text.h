#pragma once

// Small text helpers for reading what users type.

#include <string>
#include <string_view>

namespace miral::cli {

/// `text` without leading and trailing white space.
std::string_view trimmed(std::string_view text);

/// `text` in ASCII lower case.
std::string lowerCase(std::string_view text);

} // namespace miral::cli
