#pragma once

// A bitmap from the library's resources, shared by reference count. An image that cannot be loaded
// is 0 x 0 and draws nothing.

#include "toolkit/geometry.h"
#include "toolkit/reference.h"

#include <cstdint>
#include <memory>

namespace miral::platform {
class Bitmap;
}

namespace miral::toolkit {

class CDrawPort;

class CImage : public CReferenceCounted {
public:
    /// Loads the bitmap resource; the caller holds the first reference.
    explicit CImage(int32_t id);

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }

    /// Copies width(box) x height(box) pixels from `offset` in the image to box (shifted by the
    /// port's offset). Where the box reaches beyond the image, the destination is kept.
    void draw(CDrawPort& port, const CBox& box, CPos offset = {});
    /// The same, leaving out the pixels of the transparent colour.
    void drawTransparent(CDrawPort& port, const CBox& box, CPos offset = {});

    void setTransparentColour(CRgb colour) { transparentColour = colour; }
    CRgb getTransparentColour() const { return transparentColour; }

    /// The pixels, for drawing into the image; null when loading failed.
    platform::Bitmap* bitmap() const { return pixels.get(); }

private:
    ~CImage() override;

    int32_t resourceId;
    int32_t width = 0;
    int32_t height = 0;
    CRgb transparentColour = kDefaultTransparentCRgb;
    std::unique_ptr<platform::Bitmap> pixels;
};

} // namespace miral::toolkit
