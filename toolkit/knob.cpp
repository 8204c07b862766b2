#include "toolkit/knob.h"

#include "toolkit/draw_port.h"
#include "toolkit/frame.h"
#include "toolkit/frame_editor.h"
#include "toolkit/image.h"
#include "toolkit/knob_travel.h"

#include <cmath>
#include <numbers>

namespace miral::toolkit {
namespace {
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kDefaultStartAngle = static_cast<float>(kKnobTravelStart);
constexpr float kDefaultRangeAngle = static_cast<float>(kKnobTravel);
constexpr float kLinearRangePixels = 200.0f; // a linear drag's pixels for the whole range
constexpr int32_t kInsetWithoutHandle = 3;

/// The angle moved into [0, 2 pi).
float wrapAngle(float angle) {
    while (angle < 0.0f)
        angle += kTwoPi;
    while (angle >= kTwoPi)
        angle -= kTwoPi;
    return angle;
}
} // namespace

CKnob::CKnob(const CBox& box, CValueListener* valueListener, int32_t controlTag, CImage* face,
             CImage* handleImage, CPos faceOffset)
    : CControl(box, valueListener, controlTag, face), offset(faceOffset),
      startAngle(kDefaultStartAngle), rangeAngle(kDefaultRangeAngle),
      radius(static_cast<float>(box.width()) / 2.0f) {
    setHandleBitmap(handleImage);
    computeCoefficients();
}

CKnob::~CKnob() = default;

void CKnob::computeCoefficients() {
    aCoef = (vmax - vmin) / rangeAngle;
    bCoef = vmin - aCoef * startAngle;
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) / 2.0f;
}

void CKnob::setStartAngle(float angle) {
    startAngle = angle;
    computeCoefficients();
    setDirty();
}

void CKnob::setRangeAngle(float angle) {
    rangeAngle = angle;
    computeCoefficients();
    setDirty();
}

void CKnob::setColourShadowHandle(CRgb colour) {
    colourShadowHandle = colour;
    setDirty();
}

void CKnob::setColourHandle(CRgb colour) {
    colourHandle = colour;
    setDirty();
}

void CKnob::setHandleBitmap(CImage* image) {
    handle.reset(image);
    if (handle) {
        inset = static_cast<int32_t>(static_cast<float>(handle->getWidth()) / 2.0f + 2.5f);
    } else {
        inset = kInsetWithoutHandle;
    }
}

void CKnob::valueToPoint(CPos& point) const {
    const float alpha = (value - bCoef) / aCoef;
    const float reach = radius - static_cast<float>(inset);
    point.x = static_cast<int32_t>(radius + std::cos(alpha) * reach + 0.5f);
    point.y = static_cast<int32_t>(radius - std::sin(alpha) * reach + 0.5f);
}

float CKnob::valueFromPoint(CPos point) const {
    float alpha =
        std::atan2(radius - static_cast<float>(point.y), static_cast<float>(point.x) - radius);
    if (alpha < 0.0f)
        alpha += kTwoPi;
    const float travel = std::fabs(rangeAngle);
    if (rangeAngle < 0.0f) {
        // Measured counter-clockwise from the end of the travel (vmax) towards its start.
        const float theta = wrapAngle(alpha - startAngle - rangeAngle);
        if (theta <= travel)
            return vmax + aCoef * theta;
        return theta <= travel + halfAngle ? vmin : vmax;
    }
    const float theta = wrapAngle(alpha - startAngle);
    if (theta <= travel)
        return vmin + aCoef * theta;
    return theta <= travel + halfAngle ? vmax : vmin;
}

void CKnob::draw(CDrawPort& port) {
    if (background) {
        if (transparency)
            background->drawTransparent(port, size, offset);
        else
            background->draw(port, size, offset);
    }
    drawHandle(port);
    setDirty(false);
}

void CKnob::drawHandle(CDrawPort& port) {
    CPos point;
    valueToPoint(point);
    if (handle) {
        const int32_t left = size.left + point.x - handle->getWidth() / 2;
        const int32_t top = size.top + point.y - handle->getHeight() / 2;
        handle->drawTransparent(port,
                                {left, top, left + handle->getWidth(), top + handle->getHeight()});
        return;
    }
    const auto centre = static_cast<int32_t>(radius);
    const CPos origin{size.left + centre, size.top + centre};
    const CPos tip{size.left + point.x, size.top + point.y};
    port.setLineColour(colourShadowHandle);
    port.moveTo(origin);
    port.lineTo(tip);
    port.setLineColour(colourHandle);
    port.moveTo({origin.x + 1, origin.y - 1});
    port.lineTo({tip.x + 1, tip.y - 1});
}

float CKnob::linearRange(int32_t buttons) const {
    return (buttons & kShift) ? kLinearRangePixels * zoomFactor : kLinearRangePixels;
}

void CKnob::mouse(CDrawPort& port, CPos where) {
    int32_t buttons = 0;
    if (!startGesture(port, buttons, ModifierClicks::kOfferedToListener))
        return;
    const int32_t knobMode = frame != nullptr ? frame->getKnobMode() : 0;
    const bool linear = (knobMode == kLinearKnobMode) != ((buttons & kAlt) != 0);
    const CPos first = where;
    float coef = (vmax - vmin) / linearRange(buttons);
    float entry = value;
    float start = linear ? 0.0f : valueFromPoint({where.x - size.left, where.y - size.top});
    CPos last = where;
    int32_t oldButtons = buttons;
    drag(port, where, [&](CPos point, int32_t held) {
        if (point == last)
            return false;
        last = point;
        if (linear) {
            const auto distance = static_cast<float>((point.x - first.x) + (first.y - point.y));
            if (held != oldButtons) {
                // Shift changed the range: keep the value where it is.
                const float newCoef = (vmax - vmin) / linearRange(held);
                entry += distance * (coef - newCoef);
                coef = newCoef;
                oldButtons = held;
            }
            value = entry + distance * coef;
            bounceValue();
        } else {
            const float pointed = valueFromPoint({point.x - size.left, point.y - size.top});
            const float halfRange = (vmax - vmin) / 2.0f;
            if (start - pointed > halfRange) {
                value = vmax;
            } else if (pointed - start > halfRange) {
                value = vmin;
            } else {
                value = pointed;
                start = pointed;
            }
        }
        return true;
    });
}

int32_t CKnob::onKeyDown(const CKeyCode& key) {
    return arrowKeyStep(key);
}

bool CKnob::onWheel(CDrawPort& port, CPos, float distance) {
    return wheelStep(port, distance);
}

} // namespace miral::toolkit
