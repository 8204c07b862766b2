#include "cairo/shared_pixels.h"

#include "cairo/bmp_decoder.h"
#include "cairo/cairo_internals.h"
#include "cairo/embedded_bitmaps_table.h"

#include <cstring>
#include <map>
#include <mutex>

namespace miral::platform {
namespace {

struct SharedPixels {
    std::mutex lock;
    std::map<int32_t, CairoSurface> decoded;
};

SharedPixels& shared() {
    static SharedPixels pixels;
    return pixels;
}

CairoSurface decode(int32_t id) {
    auto bytes = findBitmapResource(id);
    if (!bytes)
        return nullptr;
    auto decoded = decodeBmp(*bytes);
    if (!decoded)
        return nullptr;
    CairoSurface surface = newImageSurface(decoded->width, decoded->height);
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int32_t y = 0; y < decoded->height; ++y)
        std::memcpy(data + y * stride, &decoded->pixels[size_t(y) * size_t(decoded->width)],
                    size_t(decoded->width) * sizeof(uint32_t));
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

} // namespace

CairoSurface sharedResourcePixels(int32_t id) {
    SharedPixels& pixels = shared();
    const std::lock_guard hold(pixels.lock);
    auto found = pixels.decoded.find(id);
    if (found == pixels.decoded.end()) {
        CairoSurface surface = decode(id);
        if (surface == nullptr)
            return nullptr;
        found = pixels.decoded.emplace(id, std::move(surface)).first;
    }
    return CairoSurface(cairo_surface_reference(found->second.get()));
}

void forgetResourcePixels(int32_t id) {
    SharedPixels& pixels = shared();
    const std::lock_guard hold(pixels.lock);
    pixels.decoded.erase(id);
}

} // namespace miral::platform
