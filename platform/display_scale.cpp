// Parsing the scale from the desktop's settings, alike on every platform.
#include "platform/display_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace miral::platform {
namespace {

constexpr double kDotsPerInchAtFullSize = 96.0;

std::optional<double> positiveNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

double clampScale(double scale) {
    if (std::isnan(scale))
        return kSmallestScale;
    return std::clamp(scale, kSmallestScale, kLargestScale);
}

int32_t scaledLength(int32_t length, double scale) {
    return static_cast<int32_t>(std::lround(length * scale));
}

int32_t firstScreenPixel(int32_t position, double scale) {
    return static_cast<int32_t>(std::ceil(position * scale - 0.5));
}

Point toLayout(Point point, double scale) {
    return {static_cast<int32_t>(std::floor((point.x + 0.5) / scale)),
            static_cast<int32_t>(std::floor((point.y + 0.5) / scale))};
}

Rect toLayout(Rect rect, double scale) {
    return {static_cast<int32_t>(std::floor(rect.left / scale)),
            static_cast<int32_t>(std::floor(rect.top / scale)),
            static_cast<int32_t>(std::ceil(rect.right / scale)),
            static_cast<int32_t>(std::ceil(rect.bottom / scale))};
}

std::optional<double> scaleFromXftDpi(std::string_view resources) {
    constexpr std::string_view kName = "Xft.dpi:";
    while (!resources.empty()) {
        const size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        if (line.starts_with(kName))
            if (const auto dpi = positiveNumber(line.substr(kName.size())))
                return *dpi / kDotsPerInchAtFullSize;
    }
    return std::nullopt;
}

std::optional<double> scaleFromDpi(int32_t dotsPerInch) {
    if (dotsPerInch <= 0)
        return std::nullopt;
    return dotsPerInch / kDotsPerInchAtFullSize;
}

std::optional<double> scaleFromGdkScale(const char* text) {
    if (text == nullptr)
        return std::nullopt;
    return positiveNumber(text);
}

} // namespace miral::platform
