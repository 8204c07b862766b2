#pragma once

// Numbers with an optional unit as users type them on the command line: "+6dB", "-3 dB",
// "1kHz", "800", "2.5".

#include <string>
#include <string_view>

namespace miral::cli {

struct Quantity {
    double number = 0.0;
    std::string unit; ///< lower case, empty when none was given
};

/// Splits `text` into a finite number (an optional sign, digits, a point, an exponent) and the
/// letters after it. Throws UsageError when no number starts the text or something other than
/// letters follows it.
Quantity parseQuantity(std::string_view text);

} // namespace miral::cli
