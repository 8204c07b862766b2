#pragma once

// The whole panel as the editor shows it at rest: front plate, band sections with their
// labels, knob scales and caps, unlit band switches, the screen with its bezel and scales,
// the slider tracks and the logo. The bitmaps of the controls are cut from it, so every
// control blends into the panel around it.

#include "picture.h"
#include "toolkit/geometry.h"

namespace miral::artwork {

/// The panel, with `screen` in the display's place, at the screen's scale.
Picture panel(const Picture& screen);
/// Band switch `band` (1..6) lit, over the panel.
Picture litBandSwitch(const Picture& panel, int band);

} // namespace miral::artwork
