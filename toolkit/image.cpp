#include "toolkit/image.h"

#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "platform_conversions.h"
#include "toolkit/draw_port.h"

namespace miral::toolkit {

CImage::CImage(int32_t id) : resourceId(id), pixels(platform::Bitmap::fromResource(id)) {
    if (pixels) {
        width = pixels->width();
        height = pixels->height();
    }
}

CImage::~CImage() = default;

void CImage::draw(CDrawPort& port, const CBox& box, CPos offset) {
    if (!pixels)
        return;
    const CPos shift = port.getOffset();
    port.context().blit(*pixels, toPlatform(box.movedBy(shift.x, shift.y)), toPlatform(offset));
}

void CImage::drawTransparent(CDrawPort& port, const CBox& box, CPos offset) {
    if (!pixels)
        return;
    const CPos shift = port.getOffset();
    port.context().blitTransparent(*pixels, toPlatform(box.movedBy(shift.x, shift.y)),
                                   toPlatform(offset), toPlatform(transparentColour));
}

} // namespace miral::toolkit
