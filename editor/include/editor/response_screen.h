#pragma once

// The response display's screen: light green under a faint grid of lines at the labelled
// frequencies and every 6 dB from -12 to +12 dB, with a shadow along its top and left edges, all
// whole layout pixels placed on the display's scales. The artwork generator paints the screen's
// bitmaps from it, and the display paints it itself at scales no bitmap is drawn at.

#include "editor/response_scale.h"
#include "toolkit/geometry.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace miral::editor {

inline constexpr toolkit::CRgb kScreenColour{206, 218, 162, 0};
inline constexpr toolkit::CRgb kScreenGridColour{188, 201, 144, 0};
inline constexpr toolkit::CRgb kScreenFaintGridColour{198, 210, 154, 0};
inline constexpr toolkit::CRgb kScreenShadowColour{172, 184, 130, 0};
inline constexpr toolkit::CRgb kScreenTopHalfShadowColour{192, 204, 148, 0};
inline constexpr toolkit::CRgb kScreenLeftHalfShadowColour{196, 208, 152, 0};

/// Frequencies marked on the grid and the printed scale: 20, 30, .., 90, 100, 200, ... 20000.
inline std::vector<double> scaleFrequencies() {
    std::vector<double> frequencies;
    for (double decade = 10.0; decade < kHighestFrequencyHz; decade *= 10.0)
        for (int multiple = 1; multiple <= 9; ++multiple) {
            const double frequency = decade * multiple;
            if (frequency >= kLowestFrequencyHz && frequency <= kHighestFrequencyHz)
                frequencies.push_back(frequency);
        }
    frequencies.push_back(kHighestFrequencyHz);
    return frequencies;
}

/// True for the frequencies the scale names (1, 2 and 5 times a power of ten); the screen
/// draws grid lines at these only.
inline bool isLabelledFrequency(double frequencyHz) {
    const double mantissa = frequencyHz / std::pow(10.0, std::floor(std::log10(frequencyHz)));
    return mantissa == 1.0 || mantissa == 2.0 || mantissa == 5.0;
}

/// True for the frequencies whose lines and ticks are stressed (20 Hz, 100 Hz, 1 kHz, 10 kHz,
/// 20 kHz).
inline bool isStressedFrequency(double frequencyHz) {
    for (double stressed : {20.0, 100.0, 1000.0, 10000.0, 20000.0})
        if (frequencyHz == stressed)
            return true;
    return false;
}

/// One line of the screen: the layout pixels it covers, one wide or one high.
struct ScreenLine {
    toolkit::CBox pixels;
    toolkit::CRgb colour;
};

/// The lines over the screen's colour on a screen of width x height, in painting order.
inline std::vector<ScreenLine> screenLines(int32_t width, int32_t height) {
    constexpr double kGridStepDb = 6.0;
    std::vector<ScreenLine> lines;
    for (double frequency : scaleFrequencies()) {
        const int32_t column = columnOfFrequency(frequency, width);
        if (column > 0 && column < width && isLabelledFrequency(frequency))
            lines.push_back(
                {{column, 0, column + 1, height},
                 isStressedFrequency(frequency) ? kScreenGridColour : kScreenFaintGridColour});
    }
    for (double gainDb = -12.0; gainDb <= 12.0; gainDb += kGridStepDb) {
        const int32_t row = toPixel(curveY(gainDb, height));
        lines.push_back(
            {{0, row, width, row + 1}, gainDb == 0.0 ? kScreenGridColour : kScreenFaintGridColour});
    }
    // The glass sits a little below the bezel: a soft shadow along the top and left edges.
    lines.push_back({{0, 0, width, 1}, kScreenShadowColour});
    lines.push_back({{0, 0, 1, height}, kScreenShadowColour});
    lines.push_back({{1, 1, width, 2}, kScreenTopHalfShadowColour});
    lines.push_back({{1, 1, 2, height}, kScreenLeftHalfShadowColour});
    return lines;
}

} // namespace miral::editor
