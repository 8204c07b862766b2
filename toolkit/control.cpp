#include "toolkit/control.h"

#include "toolkit/draw_port.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"

namespace miral::toolkit {
namespace {
constexpr float kFineStepFactor = 0.1f; // Shift makes wheel and key steps ten times finer
constexpr int32_t kModifiers = kShift | kControl | kAlt;
} // namespace

bool CValueListener::onModifierClick(CDrawPort&, CControl*, int32_t) {
    return false;
}

bool CValueListener::onDoubleClick(CDrawPort&, CControl*, int32_t) {
    return false;
}

CControl::CControl(const CBox& box, CValueListener* valueListener, int32_t controlTag,
                   CImage* backgroundImage)
    : CView(box), listener(valueListener), tag(controlTag) {
    setBackground(backgroundImage);
}

CControl::~CControl() = default;

void CControl::doIdleStuff() {
    if (frame != nullptr)
        frame->doIdleStuff();
}

void CControl::doubleClick(CDrawPort& port, CPos where, int32_t modifiers) {
    if (mouseEnabled && listener != nullptr && listener->onDoubleClick(port, this, modifiers))
        return;
    mouse(port, where);
}

void CControl::setBackground(CImage* image) {
    background.reset(image);
}

void CControl::bounceValue() {
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

bool CControl::isDirty() const {
    return value != oldValue || CView::isDirty();
}

void CControl::setDirty(bool flag) {
    CView::setDirty(flag);
    if (!flag)
        oldValue = value;
    else
        oldValue = value == -1.0f ? 0.0f : -1.0f;
}

void CControl::tellListener(CDrawPort* port) {
    if (listener != nullptr)
        listener->onValueChange(port, this);
}

bool CControl::isLaterGeneration() const {
    return frame != nullptr && frame->getGeneration() == ToolkitGeneration::kLater;
}

void CControl::tellListenerAsEdit(CDrawPort& port) {
    if (!isLaterGeneration()) {
        tellListener(&port);
        return;
    }
    frame->beginEdit(tag);
    tellListener(&port);
    frame->endEdit(tag);
}

bool CControl::listenerTookModifierClick(CDrawPort& port, int32_t buttons) {
    return isLaterGeneration() && (buttons & kModifiers) != 0 && listener != nullptr &&
           listener->onModifierClick(port, this, buttons);
}

bool CControl::startGesture(CDrawPort& port, int32_t& buttons, ModifierClicks modifierClicks) {
    if (!mouseEnabled)
        return false;
    buttons = port.getMouseButtons();
    if (!(buttons & kLButton))
        return false;
    if (modifierClicks == ModifierClicks::kOfferedToListener &&
        listenerTookModifierClick(port, buttons))
        return false;
    if (buttons == (kLButton | kControl)) {
        value = defaultValue;
        if (isDirty())
            tellListenerAsEdit(port);
        return false;
    }
    return true;
}

void CControl::drag(CDrawPort& port, CPos where, const DragStep& step) {
    if (frame != nullptr) {
        frame->beginEdit(tag);
        frame->setFocusView(this);
    }
    while (true) {
        const int32_t buttons = port.getMouseButtons();
        if (!(buttons & kLButton))
            break;
        if (step(where, buttons) && isDirty())
            tellListener(&port);
        port.getMouseLocation(where);
        doIdleStuff();
    }
    if (frame != nullptr)
        frame->endEdit(tag);
}

bool CControl::wheelStep(CDrawPort& port, float distance) {
    if (!mouseEnabled)
        return false;
    if (port.getMouseButtons() & kShift)
        value += wheelInc * distance * kFineStepFactor;
    else
        value += wheelInc * distance;
    bounceValue();
    tellListenerAsEdit(port);
    return true;
}

int32_t CControl::arrowKeyStep(const CKeyCode& key) {
    float step = 0.0f;
    switch (key.virt) {
    case kVirtKeyLeft:
    case kVirtKeyDown:
        step = -1.0f;
        break;
    case kVirtKeyUp:
    case kVirtKeyRight:
        step = 1.0f;
        break;
    default:
        return -1;
    }
    float change = wheelInc * step;
    if (key.modifier & kKeyModifierShift)
        change *= kFineStepFactor;
    value += change;
    bounceValue();
    tellListener(nullptr);
    return 1;
}

} // namespace miral::toolkit
