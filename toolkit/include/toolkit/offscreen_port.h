#pragma once

// A draw port on a bitmap of its own (or on an image's bitmap), composed away from the screen
// and copied to a port in one block transfer, so the screen does not flicker.

#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "toolkit/draw_port.h"

#include <memory>

namespace miral::toolkit {

class CImage;

namespace detail {
/// The bitmap and context of an off-screen port, built before the port itself.
struct OffscreenTarget {
    std::unique_ptr<platform::Bitmap> ownBitmap;
    std::unique_ptr<platform::DrawContext> targetContext;
};
} // namespace detail

class COffscreenPort : private detail::OffscreenTarget, public CDrawPort {
public:
    /// A port of the image's size for the frame of `parent`. It starts with the image drawn
    /// into its own bitmap, or, with drawInImage, draws into the image itself.
    COffscreenPort(CDrawPort& parent, CImage& image, bool drawInImage = false);
    /// A port of width x height for the views of `owner`, filled and outlined with `colour`.
    COffscreenPort(CFrame* owner, int32_t width, int32_t height, CRgb colour);

    /// Copies width(box) x height(box) pixels from `offset` of this port's bitmap to box of the
    /// destination (shifted by the destination's offset).
    void copyFrom(CDrawPort& destination, const CBox& box, CPos offset = {});

    /// From now on the port draws in its bitmap's own pixels rather than in layout pixels:
    /// coordinates, line widths and font sizes are screen pixels, getScale() of them to a
    /// layout pixel, so that a picture can be finer than the layout (at scale 1 nothing
    /// changes). copyFrom keeps taking layout pixels.
    void drawInBitmapPixels();
    /// Pixels of the bitmap per layout pixel.
    double getScale() const { return target.scale(); }
    /// The pixels of `length` layout pixels: round(length x scale).
    int32_t pixels(int32_t length) const;

private:
    platform::Bitmap& target;
};

} // namespace miral::toolkit
