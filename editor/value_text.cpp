#include "value_text.h"

#include "engine/laws.h"
#include "engine/params.h"

#include <array>
#include <charconv>

namespace miral::editor {

std::string fixedText(double value, int32_t width, int32_t decimals) {
    // Formatted without the C library's locale-dependent printf: a host may run under a locale
    // with a decimal comma.
    std::array<char, 64> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed, decimals);
    std::string text = error == std::errc{} ? std::string(digits.data(), end) : std::string("?");
    if (static_cast<int32_t>(text.size()) < width)
        text.insert(0, size_t(width) - text.size(), ' ');
    return text;
}

std::string valueText(int32_t tag, float value) {
    constexpr int32_t kWidth = 2;
    if (tag == toIndex(ParamId::GainRange))
        return fixedText(value, kWidth, 1);
    if (tag == toIndex(ParamId::OutputGain))
        return fixedText(normToOutputReadoutDb(value), kWidth, 1) + "dB";
    if (!isBandParam(tag))
        return {};
    const int32_t band = bandOfParam(tag);
    switch (kindOfParam(tag)) {
    case BandParamKind::Gain:
        return fixedText(normToGainDb(value), kWidth, 1) + "dB";
    case BandParamKind::Frequency:
        // The law of the band's left-channel filter, whose index is the band's.
        return fixedText(normToFrequencyHz(value, band), kWidth, 0) + "Hz";
    case BandParamKind::Q:
        // The shelves (bands 1 and 6) have no width control.
        if (band == 0 || band == kNumBands - 1)
            return {};
        return fixedText(normToQ(value), kWidth, 1);
    case BandParamKind::OnOff:
        return value != 0.0f ? "ON" : "OFF";
    }
    return {};
}

} // namespace miral::editor
