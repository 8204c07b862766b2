#pragma once

// The response display's screen: light green with a faint grid of dB lines and frequency
// lines, placed on the display's own scales.

#include "picture.h"

namespace miral::artwork {

/// The screen at the display's size, `scale` pixels to a layout pixel.
Picture displayScreen(int32_t scale);

/// Frequencies marked on the grid and the printed scale: 20, 30, .., 90, 100, 200, ... 20000.
std::vector<double> scaleFrequencies();
/// True for the frequencies the scale names (1, 2 and 5 times a power of ten); the screen
/// draws grid lines at these only.
bool isLabelledFrequency(double frequencyHz);
/// True for the frequencies whose lines and ticks are stressed (20 Hz, 100 Hz, 1 kHz, 10 kHz,
/// 20 kHz).
bool isStressedFrequency(double frequencyHz);

} // namespace miral::artwork
