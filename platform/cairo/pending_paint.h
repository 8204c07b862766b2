#pragma once

// Private to the Cairo backend: the area of a child window that waits to be painted, and its
// painting, alike for X11 and headless windows.

#include "platform/window.h"

namespace miral::platform {

class PendingPaint {
public:
    /// Adds `rect` to the waiting area, which becomes the rectangle around both; an empty
    /// rectangle adds nothing.
    void add(Rect rect);

    /// Paints the waiting area, if there is one, through `events` on a context of `window` and
    /// forgets it; true when something was painted.
    bool dispatch(Window& window, WindowEvents& events);

private:
    Rect area_;
};

} // namespace miral::platform
