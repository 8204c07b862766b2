#pragma once

// Text as the command shows it: names and messages made safe for a terminal, checked for
// UTF-8, or spelt out byte by byte.

#include <string>
#include <string_view>

namespace miral::cli {

/// `text` safe to show on a terminal: control characters written as C escapes ("\n", "\x1b").
std::string printable(std::string_view text);

/// True when `text` is valid UTF-8.
bool isUtf8(std::string_view text);

/// Every byte of `text` as two lower-case hex digits.
std::string hexBytes(std::string_view text);

} // namespace miral::cli
