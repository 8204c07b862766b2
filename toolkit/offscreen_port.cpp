#include "toolkit/offscreen_port.h"

#include "platform/display_scale.h"
#include "platform_conversions.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"

namespace miral::toolkit {
namespace {

/// The scale of the frame's window, so that off-screen pictures are as sharp as the screen.
double scaleOf(const CFrame* frame) {
    return frame != nullptr ? frame->getScale() : 1.0;
}

detail::OffscreenTarget targetFor(CImage& image, bool drawInImage, double scale) {
    detail::OffscreenTarget target;
    platform::Bitmap* bitmap = drawInImage ? image.bitmap() : nullptr;
    if (bitmap == nullptr) {
        target.ownBitmap = platform::Bitmap::blank(image.getWidth(), image.getHeight(), scale);
        bitmap = target.ownBitmap.get();
    }
    target.targetContext = platform::DrawContext::onBitmap(*bitmap);
    return target;
}

detail::OffscreenTarget blankTarget(int32_t width, int32_t height, double scale) {
    detail::OffscreenTarget target;
    target.ownBitmap = platform::Bitmap::blank(width, height, scale);
    target.targetContext = platform::DrawContext::onBitmap(*target.ownBitmap);
    return target;
}

} // namespace

COffscreenPort::COffscreenPort(CDrawPort& parent, CImage& image, bool drawInImage)
    : detail::OffscreenTarget(targetFor(image, drawInImage, scaleOf(parent.getFrame()))),
      CDrawPort(*targetContext, parent.getFrame()),
      target(ownBitmap ? *ownBitmap : *image.bitmap()) {
    if (ownBitmap)
        image.draw(*this, {0, 0, image.getWidth(), image.getHeight()});
}

COffscreenPort::COffscreenPort(CFrame* owner, int32_t width, int32_t height, CRgb colour)
    : detail::OffscreenTarget(blankTarget(width, height, scaleOf(owner))),
      CDrawPort(*targetContext, owner), target(*ownBitmap) {
    setFillColour(colour);
    setLineColour(colour);
    fillRect({-1, -1, width, height});
    frameRect({0, 0, width - 1, height - 1});
}

void COffscreenPort::drawInBitmapPixels() {
    // The drawing context in layout pixels ends first: a bitmap takes one context at a time
    // on some platforms.
    targetContext.reset();
    targetContext = platform::DrawContext::inBitmapPixels(target);
    retarget(*targetContext);
}

int32_t COffscreenPort::pixels(int32_t length) const {
    return platform::scaledLength(length, getScale());
}

void COffscreenPort::copyFrom(CDrawPort& destination, const CBox& box, CPos offset) {
    const CPos shift = destination.getOffset();
    destination.context().blit(target, toPlatform(box.movedBy(shift.x, shift.y)),
                               toPlatform(offset));
}

} // namespace miral::toolkit
