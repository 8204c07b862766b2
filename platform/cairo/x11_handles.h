#pragma once

// Private to the Cairo backend: owners of X11 resources, each released the way its kind
// requires, and never copied.

#include <X11/Xlib.h>

#include <memory>

namespace miral::platform {

struct X11DisplayRelease {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

/// A connection to the X server, closed at the end.
using X11Display = std::unique_ptr<Display, X11DisplayRelease>;

} // namespace miral::platform
