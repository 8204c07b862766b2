// Bitmaps as RGB24 image surfaces, decoded from the compiled-in BMP resources.
#include "cairo/bmp_decoder.h"
#include "cairo/cairo_internals.h"
#include "cairo/embedded_bitmaps_table.h"

#include <algorithm>
#include <cstring>

namespace miral::platform {

cairo_surface_t* Bitmap::Impl::keyedSurface(Rgb key) {
    if (keyed_ != nullptr && key == key_ && keyedGeneration_ == generation)
        return keyed_.get();
    const int width = cairo_image_surface_get_width(surface.get());
    const int height = cairo_image_surface_get_height(surface.get());
    keyed_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    key_ = key;
    keyedGeneration_ = generation;

    cairo_surface_flush(surface.get());
    const uint32_t keyPixel = uint32_t{key.red} << 16 | uint32_t{key.green} << 8 | key.blue;
    const unsigned char* from = cairo_image_surface_get_data(surface.get());
    unsigned char* to = cairo_image_surface_get_data(keyed_.get());
    const int fromStride = cairo_image_surface_get_stride(surface.get());
    const int toStride = cairo_image_surface_get_stride(keyed_.get());
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(from + y * fromStride);
        auto* target = reinterpret_cast<uint32_t*>(to + y * toStride);
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = source[x] & 0x00FFFFFFu;
            target[x] = rgb == keyPixel ? 0u : (rgb | 0xFF000000u);
        }
    }
    cairo_surface_mark_dirty(keyed_.get());
    return keyed_.get();
}

CairoSurface newImageSurface(int32_t width, int32_t height) {
    CairoSurface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 1), std::max(height, 1)));
    cairo_surface_flush(surface.get());
    std::memset(cairo_image_surface_get_data(surface.get()), 0,
                size_t(cairo_image_surface_get_stride(surface.get())) *
                    size_t(cairo_image_surface_get_height(surface.get())));
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

std::unique_ptr<Bitmap> Bitmap::fromResource(int32_t resourceId) {
    auto bytes = findBitmapResource(resourceId);
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
    return std::make_unique<Bitmap>(std::make_unique<Impl>(std::move(surface)));
}

std::unique_ptr<Bitmap> Bitmap::blank(int32_t width, int32_t height) {
    return std::make_unique<Bitmap>(std::make_unique<Impl>(newImageSurface(width, height)));
}

Bitmap::Bitmap(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Bitmap::~Bitmap() = default;

int32_t Bitmap::width() const {
    return cairo_image_surface_get_width(impl_->surface.get());
}

int32_t Bitmap::height() const {
    return cairo_image_surface_get_height(impl_->surface.get());
}

} // namespace miral::platform
