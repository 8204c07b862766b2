// Windows: the editor is drawn at its layout's size; GDI drawing does not scale yet.
#include "platform/display_scale.h"

namespace miral::platform {

double desktopScale() {
    return 1.0;
}

} // namespace miral::platform
