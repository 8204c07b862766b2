#pragma once

// A click area that shows an image over the frame: a click shows the image in the display box
// and makes the splash the frame's modal view, so the next click anywhere hides it again.

#include "toolkit/control.h"

namespace miral::toolkit {

class CSplashScreen : public CControl {
public:
    /// `image` is shown in `shownBox` from `imageOffset` while the value is not 0.
    CSplashScreen(const CBox& box, CValueListener* valueListener, int32_t controlTag, CImage* image,
                  const CBox& shownBox, CPos imageOffset);

    void draw(CDrawPort& port) override;
    void mouse(CDrawPort& port, CPos where) override;
    /// Hides the image.
    virtual void unSplash();

protected:
    ~CSplashScreen() override = default;

private:
    /// Gives the click area its own size back and releases the frame, if shown as modal.
    bool hide();

    CBox displayBox;
    CBox keepSize;
    CPos offset;
};

} // namespace miral::toolkit
