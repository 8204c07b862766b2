#pragma once

// The artwork of the controls, painted where they sit on the panel: knob caps with their
// scales, band switches in either state, slider tracks, and the two handle bitmaps.

#include "picture.h"
#include "toolkit/geometry.h"

#include <cairo.h>

namespace miral::artwork {

/// The scale printed around a knob: ticks over its travel, the middle one stressed.
void paintKnobScale(cairo_t* cr, const toolkit::CBox& knob);
/// The knob cap filling the knob's box (without the handle dot, which the editor draws).
void paintKnobCap(cairo_t* cr, const toolkit::CBox& knob);
/// Band switch `band` (1..6) in its box, lit or not.
void paintBandSwitch(cairo_t* cr, const toolkit::CBox& box, int band, bool on);

enum class TrackScale { kRange, kOutput };
/// A slider track in its box, with ticks at the handle's quarter positions; the output
/// track stresses its middle (0 dB), the range track its top (full range).
void paintSliderTrack(cairo_t* cr, const toolkit::CBox& box, TrackScale scale);

/// The knob's 4 x 4 handle dot; white pixels are left out when it is drawn. Pixel art: at a
/// larger scale every pixel is a square of them.
Picture knobHandleDot(int32_t scale);
/// The slider handle, 10 x 5 layout pixels at `scale`.
Picture sliderHandle(int32_t scale);

} // namespace miral::artwork
