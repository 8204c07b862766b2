#pragma once

// Private to the Cairo backend: opening a connection to the X server named by DISPLAY.

#include "cairo/x11_handles.h"

namespace miral::platform {

/// A connection to the display DISPLAY names; null without one. A server that resets when its
/// last client leaves refuses connections for a moment: a refused connection is tried again
/// for up to a second before the display counts as absent.
X11Display openX11Display();

} // namespace miral::platform
