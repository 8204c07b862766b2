#include "toolkit/splash_screen.h"

#include "toolkit/draw_port.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"

namespace miral::toolkit {

CSplashScreen::CSplashScreen(const CBox& box, CValueListener* valueListener, int32_t controlTag,
                             CImage* image, const CBox& shownBox, CPos imageOffset)
    : CControl(box, valueListener, controlTag, image), displayBox(shownBox), offset(imageOffset) {}

void CSplashScreen::draw(CDrawPort& port) {
    if (value != 0.0f && background) {
        if (transparency)
            background->drawTransparent(port, displayBox, offset);
        else
            background->draw(port, displayBox, offset);
    }
    setDirty(false);
}

bool CSplashScreen::hide() {
    // Only a splash that became the modal view covers the display box; one that could not
    // (another view was modal) keeps its own size and must not release someone else's mode.
    if (frame == nullptr || frame->getModalView() != this)
        return false;
    size = keepSize;
    frame->setModalView(nullptr);
    return true;
}

void CSplashScreen::mouse(CDrawPort& port, CPos) {
    if (!mouseEnabled || !(port.getMouseButtons() & kLButton))
        return;
    value = value == 0.0f ? 1.0f : 0.0f;
    if (value != 0.0f) {
        if (frame != nullptr && frame->setModalView(this)) {
            keepSize = size;
            size = displayBox;
            draw(port);
            tellListener(&port);
        }
    } else {
        if (hide())
            frame->draw(port);
        tellListener(&port);
    }
    setDirty(true);
}

void CSplashScreen::unSplash() {
    setDirty(true);
    value = 0.0f;
    if (hide())
        frame->redraw();
}

} // namespace miral::toolkit
