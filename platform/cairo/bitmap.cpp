// Bitmaps as RGB24 image surfaces. A resource's pixels are decoded from the compiled-in BMP
// the first time any bitmap draws them and shared from then on: a plug-in instance whose editor
// is never opened holds only the sizes.
#include "cairo/bmp_decoder.h"
#include "cairo/cairo_internals.h"
#include "cairo/embedded_bitmaps_table.h"
#include "cairo/shared_pixels.h"
#include "platform/display_scale.h"

#include <algorithm>
#include <cstring>

namespace miral::platform {

Bitmap::Impl::Impl(CairoSurface image)
    : width(cairo_image_surface_get_width(image.get())),
      height(cairo_image_surface_get_height(image.get())), surface_(std::move(image)) {}

Bitmap::Impl::Impl(CairoSurface image, int32_t layoutWidth, int32_t layoutHeight,
                   double pixelsPerLayoutPixel)
    : width(layoutWidth), height(layoutHeight), scale(pixelsPerLayoutPixel),
      surface_(std::move(image)) {}

Bitmap::Impl::Impl(int32_t id, int32_t pixelWidth, int32_t pixelHeight)
    : resourceId(id), width(pixelWidth), height(pixelHeight) {}

ScaledSurface Bitmap::Impl::pixelsFor(double contextScale, const Rgb* key) {
    if (contextScale > scale)
        if (cairo_surface_t* larger = doubleSize())
            return {key != nullptr ? keyed(larger, *key, keyedDoubleSize_) : larger, 2.0 * scale};
    cairo_surface_t* own = ownPixels();
    return {key != nullptr ? keyed(own, *key, keyed_) : own, scale};
}

cairo_surface_t* Bitmap::Impl::ownPixels() {
    if (surface_ == nullptr) {
        surface_ = sharedResourcePixels(resourceId);
        sharedPixels_ = surface_ != nullptr;
        // Resources are checked when the bitmap is loaded; one removed since draws black.
        if (surface_ == nullptr)
            surface_ = newImageSurface(width, height);
    }
    return surface_.get();
}

cairo_surface_t* Bitmap::Impl::writablePixels() {
    cairo_surface_t* current = ownPixels();
    if (sharedPixels_) {
        CairoSurface copy = newImageSurface(width, height);
        cairo_surface_flush(current);
        std::memcpy(cairo_image_surface_get_data(copy.get()), cairo_image_surface_get_data(current),
                    size_t(cairo_image_surface_get_stride(current)) * size_t(height));
        cairo_surface_mark_dirty(copy.get());
        surface_ = std::move(copy);
        sharedPixels_ = false;
    }
    return surface_.get();
}

cairo_surface_t* Bitmap::Impl::doubleSize() {
    // Decoded on first use: at 100 % it never is, and most editors are never opened larger.
    if (!doubleSizeLooked_ && resourceId != 0) {
        doubleSizeLooked_ = true;
        CairoSurface larger = sharedResourcePixels(resourceId + kDoubleSizeResourceOffset);
        // A double-size set of another shape than twice the bitmap's would misplace every pixel.
        if (larger != nullptr && cairo_image_surface_get_width(larger.get()) == 2 * width &&
            cairo_image_surface_get_height(larger.get()) == 2 * height)
            doubleSize_ = std::move(larger);
    }
    return doubleSize_.get();
}

cairo_surface_t* Bitmap::Impl::keyed(cairo_surface_t* pixels, Rgb key, KeyedCopy& copy) {
    if (copy.surface != nullptr && key == copy.key && copy.generation == generation)
        return copy.surface.get();
    const int pixelsWide = cairo_image_surface_get_width(pixels);
    const int pixelsHigh = cairo_image_surface_get_height(pixels);
    copy.surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsWide, pixelsHigh));
    copy.key = key;
    copy.generation = generation;

    cairo_surface_flush(pixels);
    const uint32_t keyPixel = uint32_t{key.red} << 16 | uint32_t{key.green} << 8 | key.blue;
    const unsigned char* from = cairo_image_surface_get_data(pixels);
    unsigned char* to = cairo_image_surface_get_data(copy.surface.get());
    const int fromStride = cairo_image_surface_get_stride(pixels);
    const int toStride = cairo_image_surface_get_stride(copy.surface.get());
    for (int y = 0; y < pixelsHigh; ++y) {
        const auto* source = reinterpret_cast<const uint32_t*>(from + y * fromStride);
        auto* target = reinterpret_cast<uint32_t*>(to + y * toStride);
        for (int x = 0; x < pixelsWide; ++x) {
            const uint32_t rgb = source[x] & 0x00FFFFFFu;
            target[x] = rgb == keyPixel ? 0u : (rgb | 0xFF000000u);
        }
    }
    cairo_surface_mark_dirty(copy.surface.get());
    return copy.surface.get();
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
    const auto bytes = findBitmapResource(resourceId);
    const auto size = bytes ? bmpSize(*bytes) : std::nullopt;
    if (!size)
        return nullptr;
    return std::make_unique<Bitmap>(std::make_unique<Impl>(resourceId, size->width, size->height));
}

std::unique_ptr<Bitmap> Bitmap::blank(int32_t width, int32_t height, double scale) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    scale = clampScale(scale);
    if (scale == 1.0)
        return std::make_unique<Bitmap>(std::make_unique<Impl>(newImageSurface(width, height)));
    return std::make_unique<Bitmap>(std::make_unique<Impl>(
        newImageSurface(scaledLength(width, scale), scaledLength(height, scale)), width, height,
        scale));
}

Bitmap::Bitmap(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Bitmap::~Bitmap() = default;

int32_t Bitmap::width() const {
    return impl_->width;
}

int32_t Bitmap::height() const {
    return impl_->height;
}

double Bitmap::scale() const {
    return impl_->scale;
}

} // namespace miral::platform
