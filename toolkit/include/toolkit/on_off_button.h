#pragma once

// A two-state switch drawn from a strip image: the upper half shows off, the lower half on.
// It acts on the button press; there is no drag.

#include "toolkit/control.h"

namespace miral::toolkit {

class COnOffButton : public CControl {
public:
    COnOffButton(const CBox& box, CValueListener* valueListener, int32_t controlTag, CImage* strip);

    void draw(CDrawPort& port) override;
    /// Any value whose integer part is 0 becomes 1, anything else 0; the listener is told.
    void mouse(CDrawPort& port, CPos where) override;

protected:
    ~COnOffButton() override = default;
    /// The click with `buttons` held (read once: a platform answers a quick click's buttons
    /// to the first question only).
    void press(CDrawPort& port, int32_t buttons);
};

} // namespace miral::toolkit
