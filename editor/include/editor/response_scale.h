#pragma once

// The scales of the response display: its columns stand for 20 Hz to 20 kHz on a logarithmic
// axis and its rows for -16 to +16 dB. The display draws with them and the artwork generator
// places the display's grid and the printed frequency scale with them.

#include <cmath>
#include <cstdint>
#include <numbers>

namespace miral::editor {

inline constexpr double kLowestFrequencyHz = 20.0;
inline constexpr double kHighestFrequencyHz = 20000.0;
/// The display spans -kDisplayRangeDb to +kDisplayRangeDb.
inline constexpr double kDisplayRangeDb = 16.0;
/// Octaves from the lowest to the highest frequency shown (log2 of 1000).
inline const double kDisplayOctaves = std::log(1000.0) / std::numbers::ln2;

/// The frequency column `column` of a display `width` columns wide stands for.
inline double columnFrequencyHz(int32_t column, int32_t width) {
    return kLowestFrequencyHz * std::exp2(column * kDisplayOctaves / width);
}

/// A pixel coordinate: `position` truncated toward zero, limited far outside any display so
/// that it stays an integer whatever the response (huge, infinite or not a number).
inline int32_t toPixel(double position) {
    constexpr double kFarOutside = 1.0e6;
    return static_cast<int32_t>(std::fmax(-kFarOutside, std::fmin(kFarOutside, position)));
}

/// The column of frequencyHz, rounded to the nearest (not clamped to the display).
inline int32_t columnOfFrequency(double frequencyHz, int32_t width) {
    return toPixel(width * std::log(frequencyHz / kLowestFrequencyHz) /
                       (kDisplayOctaves * std::numbers::ln2) +
                   0.5);
}

/// Pixels per dB of the curve: one pixel of headroom at either edge.
inline double curvePixelsPerDb(int32_t height) {
    return (height / 2.0 - 1.0) / kDisplayRangeDb;
}

/// The vertical position of the curve at gainDb, from the display's top edge, unrounded.
inline double curveY(double gainDb, int32_t height) {
    return height / 2.0 - gainDb * curvePixelsPerDb(height);
}

/// The top row of a band marker at gainDb: the full height spans the display's range, without
/// the curve's headroom, rounded to the nearest row.
inline int32_t markerTop(double gainDb, int32_t height) {
    return toPixel((kDisplayRangeDb - gainDb) * height / (2.0 * kDisplayRangeDb) + 0.5);
}

} // namespace miral::editor
