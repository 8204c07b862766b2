#pragma once

// Private to the Cairo backend: owners of Cairo objects, each released the way its kind
// requires, and never copied.

#include <cairo.h>

#include <memory>

namespace miral::platform {

struct CairoSurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextRelease {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
struct CairoFontOptionsRelease {
    void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};

/// A surface; its reference is dropped at the end.
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;
/// A drawing context, destroyed at the end.
using CairoContext = std::unique_ptr<cairo_t, CairoContextRelease>;
/// Font options, destroyed at the end.
using CairoFontOptions = std::unique_ptr<cairo_font_options_t, CairoFontOptionsRelease>;

} // namespace miral::platform
