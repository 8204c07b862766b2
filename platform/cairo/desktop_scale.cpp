// The desktop's scale on X11: the server's Xft.dpi resource, else GDK_SCALE, else 1.
#include "cairo/x11_connection.h"
#include "platform/display_scale.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace miral::platform {

double desktopScale() {
    const X11Display display = openX11Display();
    if (display != nullptr)
        if (const char* resources = XResourceManagerString(display.get()))
            if (const auto scale = scaleFromXftDpi(resources))
                return clampScale(*scale);
    if (const auto scale = scaleFromGdkScale(std::getenv("GDK_SCALE")))
        return clampScale(*scale);
    return 1.0;
}

double windowScale(void*) {
    return desktopScale();
}

} // namespace miral::platform
