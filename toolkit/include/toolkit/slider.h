#pragma once

// A slider: a track image and a handle image moving along it, composed in an off-screen port
// of its own. A click anywhere on the track moves the handle there and the handle follows the
// pointer while the button is held; Shift slows it down, Control-click restores the default.

#include "toolkit/control.h"
#include "toolkit/offscreen_port.h"

#include <memory>

namespace miral::toolkit {

/// Slider style bits.
enum CSliderStyle : int32_t {
    kHorizontal = 1,
    kVertical = 2,
    kRight = 8,   ///< horizontal: the value grows to the right
    kLeft = 16,   ///< horizontal: the value grows to the left
    kBottom = 32, ///< vertical: the value grows downward
    kTop = 64,    ///< vertical: the value grows upward
};

class CSlider : public CControl {
public:
    /// The handle travels from minPosition to maxPosition (frame pixels along the slider's
    /// axis); `trackOffset` is the source offset into the track image; `sliderStyle` holds
    /// CSliderStyle bits, kVertical or kHorizontal among them. Images may be null.
    CSlider(const CBox& box, CValueListener* valueListener, int32_t controlTag, int32_t minPosition,
            int32_t maxPosition, CImage* handleImage, CImage* track, CPos trackOffset,
            int32_t sliderStyle);

    void draw(CDrawPort& port) override;
    void mouse(CDrawPort& port, CPos where) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    bool onWheel(CDrawPort& port, CPos where, float distance) override;
    /// Creates the off-screen port when the slider joins a frame; removed deletes it.
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    virtual void setDrawTransparentHandle(bool transparent) { drawTransparentHandle = transparent; }
    /// Where the handle's travel starts inside the slider.
    virtual void setOffsetHandle(CPos point);
    virtual void setHandle(CImage* image);
    virtual CImage* getHandle() const { return handle.get(); }
    /// The slow-down while Shift is held.
    virtual void setZoomFactor(float factor) { zoomFactor = factor; }
    virtual float getZoomFactor() const { return zoomFactor; }

protected:
    ~CSlider() override;

    bool isVertical() const { return (style & kVertical) != 0; }
    CBox handleBox() const;

    CPos offset;
    CPos offsetHandle;
    CKept<CImage> handle;
    std::unique_ptr<COffscreenPort> offscreen;
    int32_t style;
    int32_t widthOfHandle = 1;
    int32_t heightOfHandle = 1;
    int32_t delta;
    int32_t rangeHandle;
    int32_t minPos = 0;
    int32_t maxPos = 0;
    bool drawTransparentHandle = true;
    float zoomFactor = 10.0f;
};

} // namespace miral::toolkit
