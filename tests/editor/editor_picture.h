#pragma once

// The editor's picture as the two builds compare it: 420 x 290 pixels, rows from the top,
// three bytes (red, green, blue) each, drawn after the same host calls on both.

#include "vst2/vst2_interface.h"

#include <cstdint>

namespace miral::reference {

inline constexpr int32_t kEditorWidth = 420;
inline constexpr int32_t kEditorHeight = 290;

/// Before the editor opens: a sample rate and program 4, whose response curve has band
/// markers.
void prepareEditorPicture(AEffect& effect);

/// After the editor has drawn itself once: one arrow-key step of the control that takes it,
/// so that the response display shows a value text as well.
void stepEditorPicture(AEffect& effect);

} // namespace miral::reference
