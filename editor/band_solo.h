#pragma once

// The editor's solo gesture: Alt-click (with the left button, without Shift or Control) on a
// band's switch solos that band; the same gesture on the soloed band ends the solo, on another
// band moves it there. The switch itself keeps its value.

#include <cstdint>

namespace miral::editor {

/// The band a click on the control tagged `tag` with `buttons` held solos, or -1 when the click
/// is not a solo gesture.
int32_t soloGestureBand(int32_t tag, int32_t buttons);

/// The band soloed after the gesture on `band` while `soloed` (-1: none) is soloed.
constexpr int32_t soloAfterGesture(int32_t soloed, int32_t band) {
    return soloed == band ? -1 : band;
}

} // namespace miral::editor
