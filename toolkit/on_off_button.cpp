#include "toolkit/on_off_button.h"

#include "toolkit/draw_port.h"
#include "toolkit/image.h"

namespace miral::toolkit {

COnOffButton::COnOffButton(const CBox& box, CValueListener* valueListener, int32_t controlTag,
                           CImage* strip)
    : CControl(box, valueListener, controlTag, strip) {}

void COnOffButton::draw(CDrawPort& port) {
    if (background) {
        const CPos source{0, value != 0.0f ? background->getHeight() / 2 : 0};
        if (transparency)
            background->drawTransparent(port, size, source);
        else
            background->draw(port, size, source);
    }
    setDirty(false);
}

void COnOffButton::mouse(CDrawPort& port, CPos) {
    if (mouseEnabled)
        press(port, port.getMouseButtons());
}

void COnOffButton::press(CDrawPort& port, int32_t buttons) {
    if (!(buttons & kLButton) || listenerTookModifierClick(port, buttons))
        return;
    value = static_cast<int32_t>(value) != 0 ? 0.0f : 1.0f;
    doIdleStuff();
    tellListenerAsEdit(port);
}

} // namespace miral::toolkit
