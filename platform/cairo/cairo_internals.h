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

struct Bitmap::Impl {
    explicit Impl(CairoSurface image) : surface(std::move(image)) {}

    /// The surface with the pixels of `key` made fully transparent; cached until the bitmap
    /// is drawn into or another key is asked for.
    cairo_surface_t* keyedSurface(Rgb key);

    CairoSurface surface;
    uint64_t generation = 0; ///< bumped whenever a context drawing into the bitmap finishes

private:
    CairoSurface keyed_;
    Rgb key_;
    uint64_t keyedGeneration_ = 0;
};

struct DrawContext::Impl {
    CairoContext cairo;
    std::function<void()> finished; ///< run after drawing ends, e.g. to show it on a window
};

/// A black RGB24 image surface.
CairoSurface newImageSurface(int32_t width, int32_t height);

/// A context drawing on `surface`; `finished` runs once the context is destroyed.
std::unique_ptr<DrawContext> contextOnSurface(cairo_surface_t* surface,
                                              std::function<void()> finished);

} // namespace miral::platform
