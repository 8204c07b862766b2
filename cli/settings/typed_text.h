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

namespace miral::cli {

/// `text` safe to show on a terminal: control characters written as C escapes ("\n", "\x1b").
std::string printable(std::string_view text);

/// True when `text` is valid UTF-8.
bool isUtf8(std::string_view text);

/// Every byte of `text` as two lower-case hex digits.
std::string hexBytes(std::string_view text);

} // namespace miral::cli
