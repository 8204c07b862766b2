#pragma once

// A Cairo drawing surface of a given size, opaque, with the text settings every picture of the
// artwork shares (greyscale anti-aliasing, no hinting), so that the output depends on nothing
// but the program, Cairo and the font files.

#include "picture.h"

#include <cairo.h>

namespace miral::artwork {

class Canvas {
public:
    /// A canvas of width x height filled with black.
    Canvas(int32_t width, int32_t height);
    /// A canvas that starts with the picture.
    explicit Canvas(const Picture& start);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    /// What has been drawn so far.
    Picture picture() const;

private:
    cairo_surface_t* surface;
    cairo_t* context;
};

} // namespace miral::artwork
