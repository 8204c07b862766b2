#pragma once

// Private to the Cairo backend: what a Bitmap and a DrawContext are here. Every picture is a
// Cairo image surface (RGB24), so windows, off-screen bitmaps and the headless screen all
// render the same pixels.

#include "cairo/cairo_handles.h"
#include "platform/bitmap.h"
#include "platform/draw_context.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace miral::platform {

/// Pixels to draw from, and how many of them make one layout pixel.
struct ScaledSurface {
    cairo_surface_t* surface;
    double scale;
};

struct Bitmap::Impl {
    /// A bitmap of the surface's size, one pixel per layout pixel.
    explicit Impl(CairoSurface image);
    /// The bitmap of resource `id`, width x height pixels, whose pixels are taken from the
    /// process's shared set the first time they are drawn from or into.
    Impl(int32_t id, int32_t width, int32_t height);
    /// A bitmap of width x height layout pixels whose surface holds `scale` pixels for each.
    Impl(CairoSurface image, int32_t width, int32_t height, double scale);

    /// The pixels that suit a context of `contextScale`: the double-size set when the context
    /// draws larger than the bitmap's own pixels and there is one. With a key, the pixels of
    /// that colour are fully transparent (cached until the bitmap is drawn into or another key
    /// is asked for). The double-size set is decoded the first time it is asked for.
    ScaledSurface pixelsFor(double contextScale, const Rgb* key);
    /// The bitmap's own pixels, to draw into: a resource's shared pixels are copied first.
    cairo_surface_t* writablePixels();

    int32_t resourceId = 0; ///< the resource the bitmap was loaded from; 0 for none
    int32_t width;
    int32_t height;
    double scale = 1.0;
    uint64_t generation = 0; ///< bumped whenever a context drawing into the bitmap finishes

private:
    struct KeyedCopy {
        CairoSurface surface;
        Rgb key;
        uint64_t generation = 0;
    };
    cairo_surface_t* keyed(cairo_surface_t* pixels, Rgb key, KeyedCopy& copy);

    /// The pixels to draw from (a resource's shared set, fetched on first use).
    cairo_surface_t* ownPixels();
    /// The resource's set drawn at twice the size; null when there is none.
    cairo_surface_t* doubleSize();

    CairoSurface surface_;
    bool sharedPixels_ = false; ///< surface_ is the process's shared set: never drawn into
    CairoSurface doubleSize_;
    bool doubleSizeLooked_ = false;
    KeyedCopy keyed_;
    KeyedCopy keyedDoubleSize_;
};

struct DrawContext::Impl {
    CairoContext cairo;
    std::function<void()> finished; ///< run after drawing ends, e.g. to show it on a window
    double scale = 1.0;             ///< target pixels per layout pixel
};

/// A black RGB24 image surface.
CairoSurface newImageSurface(int32_t width, int32_t height);

/// A context drawing on `surface` in layout pixels, `scale` surface pixels each; `finished`
/// runs once the context is destroyed.
std::unique_ptr<DrawContext> contextOnSurface(cairo_surface_t* surface,
                                              std::function<void()> finished, double scale = 1.0);

} // namespace miral::platform
