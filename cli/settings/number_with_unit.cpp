#include "settings/number_with_unit.h"

#include "settings/typed_text.h"
#include "usage_error.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace miral::cli {

Quantity parseQuantity(std::string_view text) {
    const std::string_view whole = trimmed(text);
    std::string_view rest = whole;
    const bool plus = rest.starts_with('+');
    if (plus) // from_chars takes no plus sign
        rest.remove_prefix(1);
    Quantity quantity;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(),
                                              quantity.number, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(quantity.number) || (plus && rest.starts_with('-')))
        throw UsageError("\"" + std::string(whole) + "\" is not a number");
    for (const char c :
         trimmed(std::string_view(end, static_cast<size_t>(rest.data() + rest.size() - end)))) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            throw UsageError("\"" + std::string(whole) + "\" is not a number with a unit");
        quantity.unit += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return quantity;
}

} // namespace miral::cli
