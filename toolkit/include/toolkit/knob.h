#pragma once

// A rotary knob: a background face and a handle dot on its rim. Angles are counter-clockwise
// from the positive x axis with y pointing up; by default vmin sits at the lower left, the
// middle at the top and vmax at the lower right, with a 90-degree gap at the bottom.
//
// Dragging: circular (the value follows the pointer's angle, and stays pinned at the end it
// passed when the pointer crosses the gap) or linear (200 pixels up or right for the whole
// range, 300 with Shift), chosen by the frame's knob mode and Alt. Control-click restores the
// default value.

#include "toolkit/control.h"

namespace miral::toolkit {

class CKnob : public CControl {
public:
    /// `face` and `handleImage` (the dot) may be null; `faceOffset` is the source
    /// offset into the background.
    CKnob(const CBox& box, CValueListener* valueListener, int32_t controlTag, CImage* face,
          CImage* handleImage, CPos faceOffset);

    void draw(CDrawPort& port) override;
    void mouse(CDrawPort& port, CPos where) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    bool onWheel(CDrawPort& port, CPos where, float distance) override;

    /// The handle image, or two short lines in the handle and shadow colours without one.
    virtual void drawHandle(CDrawPort& port);
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle; }
    /// The travel from vmin to vmax; negative turns clockwise.
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return rangeAngle; }
    /// The handle's centre for the current value, relative to the knob's top-left corner.
    virtual void valueToPoint(CPos& point) const;
    /// The value whose angle points at `point` (relative to the top-left corner); in the
    /// gap, the end of the travel on that side.
    virtual float valueFromPoint(CPos point) const;
    /// The distance of the handle's centre from the rim.
    virtual void setInsetValue(int32_t pixels) { inset = pixels; }
    virtual void setColourShadowHandle(CRgb colour);
    virtual void setColourHandle(CRgb colour);
    virtual void setHandleBitmap(CImage* image);
    /// The slow-down of a linear drag while Shift is held.
    virtual void setZoomFactor(float factor) { zoomFactor = factor; }
    virtual float getZoomFactor() const { return zoomFactor; }

protected:
    ~CKnob() override;

    CPos offset;
    CKept<CImage> handle;
    int32_t inset = 3;
    CRgb colourHandle = kWhiteCRgb;
    CRgb colourShadowHandle = kGreyCRgb;
    float startAngle;
    float rangeAngle;
    float aCoef = 0;
    float bCoef = 0;
    float halfAngle = 0;
    float radius;
    float zoomFactor = 1.5f;

private:
    void computeCoefficients();
    float linearRange(int32_t buttons) const;
};

} // namespace miral::toolkit
