#pragma once

// Private to the Cairo backend: catches the X errors of a few requests (a parent window that
// does not exist, a window the host already destroyed) instead of letting the default handler
// end the host process. The previous handler is back once the trap is gone.

#include <X11/Xlib.h>

namespace miral::platform {

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    /// Waits for the server to answer everything sent so far and restores the handler.
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    /// True when a request sent since the trap was set has failed (waits for the server).
    bool failed();

private:
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

} // namespace miral::platform
