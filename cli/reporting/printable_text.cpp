#include "reporting/printable_text.h"

namespace miral::cli {
namespace {
constexpr char kHex[] = "0123456789abcdef";
} // namespace

std::string printable(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
            continue;
        }
        switch (c) {
        case '\n':
            shown += "\\n";
            break;
        case '\r':
            shown += "\\r";
            break;
        case '\t':
            shown += "\\t";
            break;
        default: {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xf];
        }
        }
    }
    return shown;
}

bool isUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // Continuation bytes, the smallest code point of the length (no overlong forms) and
        // the range of the second byte that keeps out surrogates and values past U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xbf;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            length = 1;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 2;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 3;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        } else {
            return false;
        }
        if (i + length >= text.size())
            return false;
        for (size_t k = 1; k <= length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xbf))
                return false;
        }
        i += length + 1;
    }
    return true;
}

std::string hexBytes(std::string_view text) {
    std::string hex;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0xf];
    }
    return hex;
}

} // namespace miral::cli
