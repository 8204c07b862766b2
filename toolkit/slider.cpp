#include "toolkit/slider.h"

#include "toolkit/draw_port.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"

#include <algorithm>

namespace miral::toolkit {

CSlider::CSlider(const CBox& box, CValueListener* valueListener, int32_t controlTag,
                 int32_t minPosition, int32_t maxPosition, CImage* handleImage, CImage* track,
                 CPos trackOffset, int32_t sliderStyle)
    : CControl(box, valueListener, controlTag, track), offset(trackOffset), style(sliderStyle),
      delta(minPosition - ((sliderStyle & kVertical) ? box.top : box.left)),
      rangeHandle(maxPosition - minPosition) {
    setHandle(handleImage);
    setOffsetHandle({0, 0});
}

CSlider::~CSlider() = default;

void CSlider::setHandle(CImage* image) {
    handle.reset(image);
    widthOfHandle = 1;
    heightOfHandle = 1;
    if (handle) {
        widthOfHandle = handle->getWidth();
        heightOfHandle = handle->getHeight();
    }
}

void CSlider::setOffsetHandle(CPos point) {
    offsetHandle = point;
    if (isVertical()) {
        minPos = point.y + delta;
        maxPos = minPos + rangeHandle + heightOfHandle;
    } else {
        minPos = point.x + delta;
        maxPos = minPos + rangeHandle + widthOfHandle;
    }
}

bool CSlider::attached(CView* parent) {
    offscreen = std::make_unique<COffscreenPort>(frame, size.width(), size.height(), kBlackCRgb);
    return CControl::attached(parent);
}

bool CSlider::removed(CView* parent) {
    offscreen.reset();
    return CControl::removed(parent);
}

CBox CSlider::handleBox() const {
    const float fraction = (style & (kRight | kBottom)) ? value : 1.0f - value;
    const auto travelled = static_cast<int32_t>(fraction * static_cast<float>(rangeHandle));
    if (isVertical()) {
        const int32_t top = std::max(travelled + offsetHandle.y, minPos);
        return {offsetHandle.x, top, offsetHandle.x + widthOfHandle,
                std::min(top + heightOfHandle, maxPos)};
    }
    const int32_t left = std::max(travelled + offsetHandle.x, minPos);
    return {left, offsetHandle.y, std::min(left + widthOfHandle, maxPos),
            offsetHandle.y + heightOfHandle};
}

void CSlider::draw(CDrawPort& port) {
    if (offscreen) {
        if (background)
            background->draw(*offscreen, {0, 0, size.width(), size.height()}, offset);
        if (handle) {
            if (drawTransparentHandle)
                handle->drawTransparent(*offscreen, handleBox());
            else
                handle->draw(*offscreen, handleBox());
        }
        offscreen->copyFrom(port, size);
    }
    setDirty(false);
}

void CSlider::mouse(CDrawPort& port, CPos where) {
    int32_t buttons = 0;
    if (!startGesture(port, buttons))
        return;
    // A click moves the handle's centre (the pixel above it for an odd size) to the pointer.
    const int32_t base = isVertical() ? size.top + offsetHandle.y + heightOfHandle / 2 - 1
                                      : size.left + offsetHandle.x + widthOfHandle / 2 - 1;
    float reference = value;
    int32_t oldButtons = buttons;
    drag(port, where, [&](CPos point, int32_t held) {
        // Shift slows the handle down from the value it had when Shift went down.
        if (!(held & kShift) || held != oldButtons)
            reference = value;
        oldButtons = held;
        const int32_t along = (isVertical() ? point.y : point.x) - base;
        const float raw =
            rangeHandle > 0 ? static_cast<float>(along) / static_cast<float>(rangeHandle) : 0.0f;
        value = (style & (kLeft | kTop)) ? 1.0f - raw : raw;
        if (held & kShift)
            value = reference + (value - reference) / zoomFactor;
        bounceValue();
        return true;
    });
}

int32_t CSlider::onKeyDown(const CKeyCode& key) {
    return arrowKeyStep(key);
}

bool CSlider::onWheel(CDrawPort& port, CPos, float distance) {
    return wheelStep(port, distance);
}

} // namespace miral::toolkit
