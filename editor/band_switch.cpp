#include "band_switch.h"

#include "band_solo.h"
#include "toolkit/draw_port.h"

namespace miral::editor {

void CBandSwitch::mouse(toolkit::CDrawPort& port, toolkit::CPos) {
    if (!mouseEnabled)
        return;
    const int32_t buttons = port.getMouseButtons();
    if (listener != nullptr && soloGestureBand(getTag(), buttons) >= 0 &&
        listener->onModifierClick(port, this, buttons))
        return;
    press(port, buttons);
}

} // namespace miral::editor
